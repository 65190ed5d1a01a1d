// Users: the users section and the login check with hashed passwords.
#include "projects/users.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

class UsersTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }
  std::string Ini() const { return dir_.File("dorn.ini"); }
  std::string Stored(const std::string& name) {
    tIniFile ini(Ini());
    return ini.GetValue("Users", name).value_or("<missing>");
  }

  TempDir dir_;
};

TEST_F(UsersTest, AddListAndDeleteUsers) {
  WriteText(Ini(), "[Projects]\nProj=/src/\n");
  EXPECT_EQ(AddUser(Ini(), "ann"), UserChange::kDone);
  EXPECT_EQ(AddUser(Ini(), "bob"), UserChange::kDone);
  EXPECT_EQ(AddUser(Ini(), "ann"), UserChange::kExists);
  // Keys compare without letter case, so "Ann" would take over ann's line
  // and password: refused.
  ASSERT_EQ(CheckLogin(Ini(), "ann", "pw"), LoginResult::kAccepted);
  EXPECT_EQ(AddUser(Ini(), "Ann"), UserChange::kExists);
  EXPECT_EQ(CheckLogin(Ini(), "ann", "pw"), LoginResult::kAccepted);
  EXPECT_EQ(ListUsers(Ini()), (std::vector<std::string>{"ann", "bob"}));
  EXPECT_EQ(DeleteUser(Ini(), "bob"), UserChange::kDone);
  EXPECT_EQ(DeleteUser(Ini(), "bob"), UserChange::kMissing);
  EXPECT_EQ(DeleteUser(Ini(), "ANN"), UserChange::kMissing);
  EXPECT_EQ(ListUsers(Ini()), (std::vector<std::string>{"ann"}));
  const std::string text = ReadText(Ini());
  EXPECT_EQ(text.rfind("[Projects]\nProj=/src/\n\n[Users]\nann=$argon2", 0), 0u) << text;
  EXPECT_EQ(CheckLogin(Ini(), "bob", "x"), LoginResult::kUnknownUser);
}

TEST_F(UsersTest, FirstLoginStoresTheHashOfTheTypedPassword) {
  WriteText(Ini(), "[Users]\nann=\nbob=\n");
  EXPECT_EQ(CheckLogin(Ini(), "ann", "Secret"), LoginResult::kAccepted);
  const std::string stored = Stored("ann");
  EXPECT_TRUE(IsPasswordHash(stored)) << stored;
  EXPECT_EQ(stored.find("Secret"), std::string::npos);
  EXPECT_EQ(CheckLogin(Ini(), "ann", "Secret"), LoginResult::kAccepted);
  EXPECT_EQ(CheckLogin(Ini(), "ann", "secret"), LoginResult::kWrongPassword);
  EXPECT_EQ(CheckLogin(Ini(), "ann", ""), LoginResult::kWrongPassword);
  EXPECT_EQ(Stored("ann"), stored);
  // An empty first password is a password too.
  EXPECT_EQ(CheckLogin(Ini(), "bob", ""), LoginResult::kAccepted);
  EXPECT_EQ(CheckLogin(Ini(), "bob", "x"), LoginResult::kWrongPassword);
  EXPECT_EQ(CheckLogin(Ini(), "bob", ""), LoginResult::kAccepted);
}

TEST_F(UsersTest, PlainPasswordOfAnOlderFileIsAcceptedOnceAndReplacedByItsHash) {
  WriteText(Ini(), "[Users]\nann=Plain1\n");
  EXPECT_EQ(CheckLogin(Ini(), "ann", "plain1"), LoginResult::kWrongPassword);
  EXPECT_EQ(Stored("ann"), "Plain1");
  EXPECT_EQ(CheckLogin(Ini(), "ann", "Plain1"), LoginResult::kAccepted);
  EXPECT_TRUE(IsPasswordHash(Stored("ann")));
  EXPECT_EQ(CheckLogin(Ini(), "ann", "Plain1"), LoginResult::kAccepted);
}

TEST_F(UsersTest, NamesThatAreNoKeysAreUnknown) {
  WriteText(Ini(), "[Users]\nann=\n");
  EXPECT_EQ(CheckLogin(Ini(), "", "x"), LoginResult::kUnknownUser);
  EXPECT_EQ(CheckLogin(Ini(), "ann=", "x"), LoginResult::kUnknownUser);
  EXPECT_EQ(CheckLogin(dir_.File("missing.ini"), "ann", "x"), LoginResult::kUnknownUser);
  EXPECT_EQ(ReadText(Ini()), "[Users]\nann=\n");
}

TEST_F(UsersTest, FirstLoginThatCannotStoreItsPasswordIsRefused) {
  WriteText(Ini(), "[Users]\nann=\n");
  tIniFile holder(Ini());
  ASSERT_TRUE(holder.Lock());
  EXPECT_EQ(CheckLogin(Ini(), "ann", "pw"), LoginResult::kNotStored);
  EXPECT_EQ(ReadText(Ini()), "[Users]\nann=\n");
}

}  // namespace
}  // namespace tarn
