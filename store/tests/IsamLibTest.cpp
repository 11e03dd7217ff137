// VBIS4032.DLL itself: its entry points, damaged and foreign files, several processes writing one data
// set at once, and a writer killed in the middle of its work.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "IsamFile.h"
#include "StoreTestSupport.h"

namespace {

const char* const kUserFormat = "%,$*51,$*31,$*11,$*21,$*51,X$*21,$*31,$*51,$*51,$*51,$*51,%,%,%";
const char* const kDepartmentFormat = "X$*21";
const char* const kChildVar = "YOZ_ISAM_CHILD";

struct UserRec {
  uint8_t Data[429] = {};
  UserRec() = default;
  explicit UserRec(const std::string& login) {
    PutText(Data, 2, 51, "Name of " + login);
    PutText(Data, 53, 31, "Available");
    PutText(Data, 116, 51, "Name of " + login);  // the comment repeats the name: a torn record shows
    PutText(Data, 167, 21, login);
  }
  std::string Name() const { return GetText(Data, 2, 51); }
  std::string Status() const { return GetText(Data, 53, 31); }
  std::string Comments() const { return GetText(Data, 116, 51); }
  std::string Login() const { return GetText(Data, 167, 21); }
};

std::string TempDir(const std::string& tag) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string d = std::string(tmp) + "yoz-isamlib-" + std::to_string(GetCurrentProcessId()) + "-" + tag + "\\";
  CreateDirectoryA(d.c_str(), nullptr);
  return d;
}

void RemoveDir(const std::string& d) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((d + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do DeleteFileA((d + fd.cFileName).c_str());
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(d.c_str());
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), bytes.size());
}

// ------------------------------------------------------------------------------------------------
// The entry points as a caller outside TIsamFile sees them.

class IsamLibTest : public ::testing::Test {
protected:
  HMODULE Lib = nullptr;
  std::string Dir;
  void SetUp() override {
    Lib = LoadLibraryA("VBIS4032.DLL");
    ASSERT_NE(Lib, nullptr);
    Dir = TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { RemoveDir(Dir); }
  template <class F>
  F Fn(const char* name) {
    return reinterpret_cast<F>(GetProcAddress(Lib, name));
  }
};

TEST_F(IsamLibTest, UnusedEntryPointsAnswerNotAvailable) {
  for (const char* n : {"VmxLock", "VmxUnlock", "VmxKill", "VmxReadNote", "VmxWriteNote", "VmxFetchField"}) {
    auto f = Fn<int16_t(__stdcall*)()>(n);
    ASSERT_NE(f, nullptr) << n;
    EXPECT_EQ(f(), 21) << n;
  }
}

TEST_F(IsamLibTest, PutHandsBackTheKeyItAssignsAndInfoFillsTheBlock) {
  auto create = Fn<int16_t(__stdcall*)(char**, int16_t*, int32_t*, int16_t*, int16_t*, char**)>("VmxCreate");
  auto open = Fn<int16_t(__stdcall*)(char**, int16_t*, int16_t*, int32_t*)>("VmxOpen");
  auto put = Fn<int16_t(__stdcall*)(int32_t*, char**, void*, int16_t*)>("VmxPut");
  auto get = Fn<int16_t(__stdcall*)(int32_t*, int16_t*, int16_t*, char**, BSTR*, BSTR*, void*)>("VmxGet");
  auto info = Fn<int16_t(__stdcall*)(int32_t*, void*)>("VmxInfo");
  auto close = Fn<int16_t(__stdcall*)(int32_t*)>("VmxClose");
  std::string nameS = Dir + "Deps", fmtS = kDepartmentFormat;
  char* name = nameS.data();
  char* fmt = fmtS.data();
  int16_t keyLen = 10, z16 = 0, mode = 3;
  int32_t z32 = 0, h = 0;
  ASSERT_EQ(create(&name, &keyLen, &z32, &z16, &z16, &fmt), 0);
  int16_t bad = 1;
  EXPECT_EQ(open(&name, &z16, &bad, &h), 7);
  ASSERT_EQ(open(&name, &z16, &mode, &h), 0);

  uint8_t rec[21] = {};
  PutText(rec, 0, 21, "Sales");
  std::string empty;
  char* key = empty.data();
  int16_t add = 1;
  ASSERT_EQ(put(&h, &key, rec, &add), 0);
  ASSERT_NE(key, empty.data());
  EXPECT_STREQ(key, "0000000001");
  SysFreeString(reinterpret_cast<BSTR>(key));
  std::string given = "0000000005";
  key = given.data();
  ASSERT_EQ(put(&h, &key, rec, &add), 0);
  EXPECT_EQ(key, given.data());  // a key given is left alone
  int16_t badMode = 3;
  EXPECT_EQ(put(&h, &key, rec, &badMode), 7);

  uint8_t block[32] = {};
  ASSERT_EQ(info(&h, block), 0);
  int32_t count;
  uint16_t kl;
  BSTR text;
  std::memcpy(&count, block, 4);
  std::memcpy(&kl, block + 8, 2);
  std::memcpy(&text, block + 24, sizeof text);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(kl, 10);
  ASSERT_NE(text, nullptr);
  SysFreeString(text);

  int16_t index = 1, option = 0x1013;
  BSTR data = nullptr, found = nullptr;
  std::string k = "Sales";
  char* kp = k.data();
  EXPECT_EQ(get(&h, &index, &option, &kp, &data, &found, rec), 7);
  option = 0x1011;
  ASSERT_EQ(get(&h, &index, &option, &kp, &data, &found, rec), 0);
  EXPECT_STREQ(reinterpret_cast<char*>(found), "0000000001");
  SysFreeString(data);
  SysFreeString(found);
  ASSERT_EQ(close(&h), 0);
  EXPECT_EQ(close(&h), 4);
  EXPECT_EQ(info(&h, block), 4);
}

// ------------------------------------------------------------------------------------------------
// Damaged and foreign files: a result code, never a crash.

class IsamDamageTest : public ::testing::Test {
protected:
  std::string Dir, Name;
  std::string Ism, Isd;
  void SetUp() override {
    Dir = TempDir(std::string("dmg-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Name = Dir + "yOZDB31";
    TIsamFile f("");
    ASSERT_TRUE(f.CreateFile(Name, 10, kUserFormat));
    ASSERT_TRUE(f.Open(Name, 3));
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(f.Add(UserRec("U" + std::to_string(i)).Data, ""));
    ASSERT_TRUE(f.Close());
    Ism = ReadAll(Name + ".ism");
    Isd = ReadAll(Name + ".isd");
    ASSERT_GT(Isd.size(), 40000u);
  }
  void TearDown() override { RemoveDir(Dir); }
  // Opens and scans everything; the first failure's code (1 = the scan simply ended).
  int16_t Use() {
    TIsamFile f("");
    if (!f.Open(Name, 3)) return f.LastError;
    UserRec u;
    f.First(0);
    int n = 0;
    while (f.GetNext(u.Data, 0, 16, "")) ++n;
    int16_t scan = f.LastError;
    if (!f.GetEqual(u.Data, 7, "U150") && f.LastError != 1) scan = f.LastError;
    if (scan == 1 && n != 300) scan = -1;  // records lost without a word
    f.Close();
    return scan;
  }
};

TEST_F(IsamDamageTest, DataFileTruncatedZeroedOrForeign) {
  WriteAll(Name + ".isd", "");
  EXPECT_EQ(Use(), 15);
  WriteAll(Name + ".isd", Isd.substr(0, 50));  // a header cut short
  EXPECT_EQ(Use(), 15);
  WriteAll(Name + ".isd", Isd.substr(0, Isd.size() / 2));
  EXPECT_EQ(Use(), 15);
  WriteAll(Name + ".isd", std::string(Isd.size(), '\0'));
  EXPECT_EQ(Use(), 8);
  WriteAll(Name + ".isd", std::string(5000, 'x'));
  EXPECT_EQ(Use(), 8);
  std::string torn = Isd;
  for (size_t i = 4096; i < torn.size(); i += 7) torn[i] = char(0xA5);
  WriteAll(Name + ".isd", torn);
  EXPECT_EQ(Use(), 15);
  WriteAll(Name + ".isd", Isd);
  EXPECT_EQ(Use(), 1);
}

TEST_F(IsamDamageTest, DescriptorTruncatedZeroedOrForeign) {
  WriteAll(Name + ".ism", "");
  EXPECT_EQ(Use(), 8);
  WriteAll(Name + ".ism", Ism.substr(0, 5));
  EXPECT_EQ(Use(), 8);
  WriteAll(Name + ".ism", Ism.substr(0, Ism.size() - 3));
  EXPECT_EQ(Use(), 15);
  WriteAll(Name + ".ism", std::string(Ism.size(), '\0'));
  EXPECT_EQ(Use(), 8);
  WriteAll(Name + ".ism", "[Settings]\r\nName=yOZ\r\n");
  EXPECT_EQ(Use(), 8);
  std::string flipped = Ism;
  flipped[20] ^= 0x01;
  WriteAll(Name + ".ism", flipped);
  EXPECT_EQ(Use(), 15);
  WriteAll(Name + ".ism", Isd);  // a data file in place of the descriptor
  EXPECT_EQ(Use(), 8);
  WriteAll(Name + ".ism", Ism);
  EXPECT_EQ(Use(), 1);
  // A descriptor read once is not trusted blindly afterwards (changed a moment later: time stamps
  // have a granularity).
  Sleep(50);
  WriteAll(Name + ".ism", flipped);
  EXPECT_EQ(Use(), 15);
}

TEST_F(IsamDamageTest, AnyByteOfTheDescriptorChanged) {
  for (size_t i = 0; i < Ism.size(); ++i) {
    std::string bad = Ism;
    bad[i] ^= 0x20;
    WriteAll(Name + ".ism", bad);
    int16_t r = Use();
    EXPECT_TRUE(r == 8 || r == 15) << "byte " << i << ": " << r;
  }
}

// Damage SQLite cannot always see (it keeps no page checksums) may go unnoticed, but it never
// crashes a reader and never hands over a record of the wrong size.
TEST_F(IsamDamageTest, ScatteredDamageInTheDataFile) {
  unsigned seed = 2026;
  auto rnd = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (int trial = 0; trial < 40; ++trial) {
    std::string bad = Isd;
    for (int k = 0; k < 1 + trial % 5; ++k) bad[rnd() % bad.size()] = char(rnd());
    WriteAll(Name + ".isd", bad);
    int16_t r = Use();
    EXPECT_TRUE(r == 1 || r == -1 || r == 8 || r == 15) << "trial " << trial << ": " << r;
  }
}

TEST_F(IsamDamageTest, DescriptorOfAnotherSetOrAMissingHalf) {
  TIsamFile f("");
  ASSERT_TRUE(f.CreateFile(Dir + "Deps", 10, kDepartmentFormat));
  WriteAll(Name + ".ism", ReadAll(Dir + "Deps.ism"));  // promises an index the data file lacks
  EXPECT_EQ(Use(), 15);
  // Same columns, other record size: records of the wrong length never reach a caller's buffer.
  ASSERT_TRUE(f.CreateFile(Dir + "Stats", 10, "X$*31"));
  ASSERT_TRUE(f.Open(Dir + "Deps", 3));
  uint8_t rec[31] = {};
  ASSERT_TRUE(f.Add(rec, ""));
  ASSERT_TRUE(f.Close());
  WriteAll(Dir + "Deps.ism", ReadAll(Dir + "Stats.ism"));
  ASSERT_TRUE(f.Open(Dir + "Deps", 3));
  EXPECT_FALSE(f.GetEqual(rec, 0, "0000000001"));
  EXPECT_EQ(f.LastError, 15);
  ASSERT_TRUE(f.Close());
  WriteAll(Name + ".ism", Ism);
  DeleteFileA((Name + ".isd").c_str());
  EXPECT_EQ(Use(), 1);
  EXPECT_EQ(GetFileAttributesA((Name + ".isd").c_str()), INVALID_FILE_ATTRIBUTES);  // not made anew
}

// ------------------------------------------------------------------------------------------------
// Several processes on one data set. The test program starts copies of itself that run only the
// IsamChild test, told what to do through the environment.

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> parts;
  size_t p = 0, q;
  while ((q = s.find('|', p)) != std::string::npos) {
    parts.push_back(s.substr(p, q - p));
    p = q + 1;
  }
  parts.push_back(s.substr(p));
  return parts;
}

// The child's output goes to `log`, shown when the child fails.
HANDLE StartChild(const std::string& work, const std::string& log) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  SetEnvironmentVariableA(kChildVar, work.c_str());
  std::string cmd = "\"" + std::string(exe) + "\" --gtest_filter=IsamChild.Work";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = si.hStdError = out;
  PROCESS_INFORMATION pi{};
  BOOL ok = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA(kChildVar, nullptr);
  CloseHandle(out);
  if (!ok) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

// "add|NAME|ID|COUNT": adds COUNT users with empty keys, replacing every third one after it;
// "churn|NAME|ID": adds and replaces until killed.
TEST(IsamChild, Work) {
  char buf[1024];
  DWORD n = GetEnvironmentVariableA(kChildVar, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) GTEST_SKIP() << "only run by the multi-process tests";
  std::vector<std::string> w = Split(buf);
  ASSERT_GE(w.size(), 3u);
  const std::string& name = w[1];
  const int count = w[0] == "add" ? std::stoi(w[3]) : INT32_MAX;
  TIsamFile f("");
  for (int i = 0; i < count; ++i) {
    std::string login = "C" + w[2] + "-" + std::to_string(i);
    ASSERT_TRUE(f.Open(name, 3)) << f.ErrorText();
    ASSERT_TRUE(f.Add(UserRec(login).Data, "")) << f.ErrorText();
    ASSERT_TRUE(f.Close());
    if (i % 3 == 0) {
      ASSERT_TRUE(f.Open(name, 3)) << f.ErrorText();
      UserRec u;
      ASSERT_TRUE(f.GetEqual(u.Data, 7, login)) << f.ErrorText();
      PutText(u.Data, 53, 31, "Replaced");
      ASSERT_TRUE(f.Replace(u.Data, f.LastKey)) << f.ErrorText();
      ASSERT_TRUE(f.Close());
    }
  }
}

class IsamProcessTest : public ::testing::Test {
protected:
  std::string Dir, Name;
  void SetUp() override {
    Dir = TempDir(std::string("proc-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Name = Dir + "yOZDB31";
    TIsamFile f("");
    ASSERT_TRUE(f.CreateFile(Name, 10, kUserFormat));
  }
  void TearDown() override { RemoveDir(Dir); }
  // Every record along index 0, checked whole.
  std::vector<UserRec> All() {
    std::vector<UserRec> all;
    TIsamFile f("");
    EXPECT_TRUE(f.Open(Name, 3)) << f.ErrorText();
    UserRec u;
    f.First(0);
    while (f.GetNext(u.Data, 0, 16, "")) all.push_back(u);
    EXPECT_EQ(f.LastError, 1) << f.ErrorText();
    EXPECT_EQ(f.RecordCount(), int32_t(all.size()));
    return all;
  }
};

TEST_F(IsamProcessTest, FourWritersAtOnce) {
  const int kChildren = 4, kEach = 30;
  std::vector<HANDLE> procs;
  for (int c = 0; c < kChildren; ++c) {
    HANDLE p = StartChild("add|" + Name + "|" + std::to_string(c) + "|" + std::to_string(kEach),
                          Dir + "child" + std::to_string(c) + ".log");
    ASSERT_NE(p, nullptr);
    procs.push_back(p);
  }
  ASSERT_EQ(WaitForMultipleObjects(DWORD(procs.size()), procs.data(), TRUE, 240000), WAIT_OBJECT_0);
  for (int c = 0; c < kChildren; ++c) {
    DWORD code = 99;
    GetExitCodeProcess(procs[c], &code);
    EXPECT_EQ(code, 0u) << ReadAll(Dir + "child" + std::to_string(c) + ".log");
    CloseHandle(procs[c]);
  }
  std::set<std::string> logins;
  for (const UserRec& u : All()) {
    EXPECT_TRUE(logins.insert(u.Login()).second) << u.Login();
    EXPECT_EQ(u.Name(), "Name of " + u.Login());
    int i = std::stoi(u.Login().substr(u.Login().find('-') + 1));
    EXPECT_EQ(u.Status(), i % 3 == 0 ? "Replaced" : "Available") << u.Login();
  }
  EXPECT_EQ(logins.size(), size_t(kChildren * kEach));
}

TEST_F(IsamProcessTest, KilledWriterLeavesOnlyCommittedRecords) {
  size_t before = 0;
  for (int round = 0; round < 3; ++round) {
    HANDLE p = StartChild("churn|" + Name + "|" + std::to_string(round), Dir + "churn.log");
    ASSERT_NE(p, nullptr);
    // Let it write for a while, then kill it wherever it is.
    TIsamFile f("");
    for (int t = 0; t < 400; ++t) {
      Sleep(10);
      if (f.Open(Name, 3)) {
        int32_t n = f.RecordCount();
        f.Close();
        if (n >= int32_t(before) + 15 + 7 * round) break;
      }
    }
    ASSERT_TRUE(TerminateProcess(p, 9));
    WaitForSingleObject(p, 10000);
    CloseHandle(p);
    std::vector<UserRec> all = All();
    EXPECT_GT(all.size(), before);
    for (const UserRec& u : all) EXPECT_EQ(u.Comments(), u.Name()) << u.Login();
    before = all.size();
  }
  // Still writable.
  TIsamFile f("");
  ASSERT_TRUE(f.Open(Name, 3));
  ASSERT_TRUE(f.Add(UserRec("AFTER").Data, ""));
  EXPECT_EQ(f.RecordCount(), int32_t(before + 1));
}

}  // namespace
