// The main window's commands, numbered as the menus and their status-bar
// prompts know them.
#pragma once

namespace tarn::dorn {

enum class CommandId : int {
  kProjectGet = 32003,
  kProjectCheckIn = 32004,
  kProjectCheckOut = 32005,
  kProjectLock = 32006,
  kProjectUnlock = 32007,
  kProjectLabel = 32008,
  kProjectRemoveLabel = 32009,
  kRefresh = 32010,
  kGet = 32011,
  kCheckOut = 32012,
  kLock = 32013,
  kCheckIn = 32014,
  kUnlock = 32015,
  kFilesTab = 32016,
  kModuleTab = 32017,
  kRevisionTab = 32018,
  kProjectsTab = 32019,
  kLabel = 32020,
  kCompare = 32021,
  kRemoveLabel = 32023,
  kModuleAttributes = 32024,
  kModuleDescription = 32025,
  kModuleAccessList = 32026,
  kModuleAuthor = 32029,
  kView = 32032,
  kProjectSettings = 32033,
  kMaintainUsers = 32034,
  kAbout = 57664,
  kHelpContents = 57666,
  kHelpOnHelp = 57667,
};

}  // namespace tarn::dorn
