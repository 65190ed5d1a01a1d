// The list of the system's users and the login check, as the login and the
// user maintenance dialogs need them. The users live in the users section
// of dorn.ini; the projects component reads and writes it.
#pragma once

#include <string>
#include <vector>

namespace tarn::dorn {

enum class LoginResult {
  kAccepted,       // the password matched, or was stored at a first login
  kUnknownUser,    // no line for the name
  kWrongPassword,  // letter case counts
  kNotStored,      // a first login whose password could not be written
};

class UserDirectory {
 public:
  virtual ~UserDirectory() = default;
  // The user names in file order.
  virtual std::vector<std::string> Users() = 0;
  // Adds the line of a new user without a password. False when the user is
  // listed already (as the users section compares names).
  virtual bool AddUser(const std::string& name) = 0;
  // Removes the user's line, the password with it.
  virtual void DeleteUser(const std::string& name) = 0;
  virtual LoginResult CheckLogin(const std::string& name, const std::string& password) = 0;
};

}  // namespace tarn::dorn
