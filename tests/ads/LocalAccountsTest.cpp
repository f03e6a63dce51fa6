// The account database behind WinNT://, read from a throw-away passwd file.
#include <cstdlib>

#include "ads/LocalAccounts.h"
#include "support/TestSupport.h"
#include "users/DirectoryImport.h"
#include "users/DirectoryReader.h"

namespace ads {
namespace {

TEST(LocalAccountsTest, UidMinAndFullNamesAsTheSystemFilesGiveThem) {
  EXPECT_EQ(UidMinOfLoginDefs("# UID_MIN 5\nUID_MIN\t\t 2000\nUID_MAX 60000\n"), 2000);
  EXPECT_EQ(UidMinOfLoginDefs("UID_MIN 500\nUID_MIN 700\n"), 700);
  EXPECT_EQ(UidMinOfLoginDefs("UID_MIN -1\n"), kDefaultUidMin);
  EXPECT_EQ(UidMinOfLoginDefs("UID_MINIMUM 5\nSYS_UID_MIN 100\n"), kDefaultUidMin);

  EXPECT_EQ(FullNameOfGecos("John Doe,Raum 1,0711,", "jdoe"), "John Doe");
  EXPECT_EQ(FullNameOfGecos("& Huber", "xaver"), "Xaver Huber");
  EXPECT_EQ(FullNameOfGecos("", "x"), "");
}

TEST(LocalAccountsTest, TheWinNTReaderListsAccountsFromUidMinExceptNobodyOnce) {
  orn::test::ScratchDir scratch;
  orn::test::WriteFile(scratch / "passwd",
                       "root:x:0:0:root:/root:/bin/bash\n"
                       "sys:x:999:999:System:/:/usr/sbin/nologin\n"
                       "jdoe:x:1000:1000:John Doe,Raum 1,,:/home/jdoe:/bin/bash\n"
                       "nobody:x:65534:65534:nobody:/nonexistent:/usr/sbin/nologin\n"
                       "xaver:x:1001:1001:& Huber:/home/xaver:/bin/bash\n"
                       "leer:x:1002:1002::/home/leer:/bin/sh\n"
                       "jdoe:x:1003:1003:Second:/home/jdoe2:/bin/bash\n");
  setenv("ORN_ADS_PASSWD_FILE", (scratch / "passwd").c_str(), 1);
  setenv("ORN_ADS_MODULE", ORN_ADS_MODULE_FILE, 1);
  orn::ImportUserList users = orn::ReadNetworkUsers(".", true).users;
  unsetenv("ORN_ADS_PASSWD_FILE");

  std::vector<std::string> read;  // no GECOS name: the login name
  for (const orn::ImportUser& user : users)
    read.push_back(user.name + ":" + user.fullName + ":" + std::to_string(user.emails.size()));
  EXPECT_EQ(read, (std::vector<std::string>{"jdoe:John Doe:0", "xaver:Xaver Huber:0", "leer:leer:0"}));
  EXPECT_FALSE(IsLocalComputerName("not-this-host.example"));
}

}  // namespace
}  // namespace ads
