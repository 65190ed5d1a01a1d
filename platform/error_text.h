// The reason a system call failed, as a text for messages. Every report of
// a failed call takes its reason from here, so the user sees the same words
// for the same cause wherever it happened.
#pragma once

#include <string>

namespace tarn::platform {

// The system's own text for errno value `code` ("Permission denied", "Too
// many open files"), and the platform's texts for its own codes
// (kNotRegularFile: "not a regular file").
std::string ErrorText(int code);

// True when `code` says a file system has no room left (a full disk, a
// quota used up).
bool IsOutOfSpace(int code);

}  // namespace tarn::platform
