#include "base/files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace base {
namespace {

namespace fs = std::filesystem;

ByteBuffer Bytes(const std::string& text) { return ByteBuffer(text.begin(), text.end()); }

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs `body` in a child process and returns its exit status (-1 if it did not exit).
int InChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velkaro-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  // Names in the folder, so tests can see that no temporary file stayed behind.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  std::string folder_;
};

TEST_F(FilesTest, WritesNewFileWithUsualPermissions) {
  const mode_t previous = umask(027);
  const bool written = WriteFileBytes(Path("new.jpg"), Bytes("abc"));
  umask(previous);
  ASSERT_TRUE(written);
  EXPECT_EQ(Contents(Path("new.jpg")), "abc");
  struct stat info;
  ASSERT_EQ(stat(Path("new.jpg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(Names(), std::set<std::string>{"new.jpg"});
}

TEST_F(FilesTest, ReplacesExistingFileWholeAndKeepsItsPermissions) {
  std::ofstream(Path("a.jpg")) << "a much longer earlier content";
  ASSERT_EQ(chmod(Path("a.jpg").c_str(), 0604), 0);
  ASSERT_TRUE(WriteFileBytes(Path("a.jpg"), Bytes("short")));
  EXPECT_EQ(Contents(Path("a.jpg")), "short");
  struct stat info;
  ASSERT_EQ(stat(Path("a.jpg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0604u);

  ASSERT_TRUE(WriteFileBytes(Path("a.jpg"), ByteBuffer()));
  EXPECT_EQ(Contents(Path("a.jpg")), "");
  EXPECT_EQ(Names(), std::set<std::string>{"a.jpg"});
}

TEST_F(FilesTest, WritesBinaryBytesAndLongNames) {
  ByteBuffer bytes;
  for (int i = 0; i < 300000; ++i) bytes.push_back(static_cast<unsigned char>(i * 7));
  const std::string longName(250, 'n');  // the temporary name must stay within limits
  ASSERT_TRUE(WriteFileBytes(Path(longName), bytes));
  ByteBuffer read;
  ASSERT_TRUE(ReadFileBytes(Path(longName), read, bytes.size()));
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(Names(), std::set<std::string>{longName});
}

TEST_F(FilesTest, DoubledSeparatorIsAccepted) {
  ASSERT_TRUE(WriteFileBytes(folder_ + "//JDtemp.jpg", Bytes("x")));
  EXPECT_EQ(Contents(Path("JDtemp.jpg")), "x");
}

TEST_F(FilesTest, PathWithoutFolderIsInTheCurrentFolder) {
  const int status = InChild([this] {
    if (chdir(folder_.c_str()) != 0) return 2;
    return WriteFileBytes("plain.bin", Bytes("p")) ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Contents(Path("plain.bin")), "p");
  EXPECT_EQ(Names(), std::set<std::string>{"plain.bin"});
}

TEST_F(FilesTest, RefusesBadPathsAndLeavesNothing) {
  ASSERT_TRUE(fs::create_directory(Path("sub")));
  std::ofstream(Path("keep")) << "kept";
  const std::string cases[] = {
      "",
      Path("missing/x.jpg"),  // creates no folders
      Path("sub"),            // a folder
      Path("sub/"),           // ends in a separator
      Path("keep/x.jpg"),     // a file as folder
  };
  for (const std::string& path : cases) {
    EXPECT_FALSE(WriteFileBytes(path, Bytes("data"))) << "path=\"" << path << "\"";
  }
  EXPECT_EQ(Names(), (std::set<std::string>{"keep", "sub"}));
  EXPECT_TRUE(fs::is_empty(Path("sub")));
  EXPECT_EQ(Contents(Path("keep")), "kept");
}

TEST_F(FilesTest, FailedWriteLeavesEarlierFileIntact) {
  // A file-size limit makes the write fail part way, as a full disk would.
  std::ofstream(Path("a.jpg")) << "earlier";
  const int status = InChild([this] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    return WriteFileBytes(Path("a.jpg"), ByteBuffer(5000, 'x')) ? 1 : 0;
  });
  EXPECT_EQ(status, 0) << "the write should have failed";
  EXPECT_EQ(Contents(Path("a.jpg")), "earlier");
  EXPECT_EQ(Names(), std::set<std::string>{"a.jpg"});
}

// Skipping the wait for the disk keeps every other promise: whole replacement, nothing
// left behind, and an intact earlier file when the write fails.
TEST_F(FilesTest, UnflushedWriteIsStillAtomic) {
  std::ofstream(Path("JDtemp.jpg")) << "earlier and longer";
  ASSERT_TRUE(WriteFileBytes(Path("JDtemp.jpg"), Bytes("new"), Durability::unflushed));
  EXPECT_EQ(Contents(Path("JDtemp.jpg")), "new");
  const int status = InChild([this] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    return WriteFileBytes(Path("JDtemp.jpg"), ByteBuffer(5000, 'x'), Durability::unflushed) ? 1 : 0;
  });
  EXPECT_EQ(status, 0) << "the write should have failed";
  EXPECT_EQ(Contents(Path("JDtemp.jpg")), "new");
  EXPECT_EQ(Names(), std::set<std::string>{"JDtemp.jpg"});
}

TEST_F(FilesTest, ReadsWithinTheLimitOnly) {
  std::ofstream(Path("five")) << "12345";
  std::ofstream(Path("empty"));
  ASSERT_TRUE(fs::create_directory(Path("sub")));
  const struct {
    std::string name;
    std::size_t maxBytes;
    std::optional<std::string> expected;  // none: refused
  } cases[] = {
      {"five", 5, "12345"}, {"five", 100, "12345"}, {"five", 4, std::nullopt},
      {"empty", 0, ""},     {"missing", 10, std::nullopt}, {"sub", 10, std::nullopt},
  };
  for (const auto& c : cases) {
    ByteBuffer bytes = Bytes("stale");
    const bool read = ReadFileBytes(Path(c.name), bytes, c.maxBytes);
    EXPECT_EQ(read, c.expected.has_value()) << c.name << " max " << c.maxBytes;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.expected.value_or(""))
        << c.name << " max " << c.maxBytes;
  }
}

// Sets or unsets environment variables for one test and restores them afterwards.
class ScopedEnvironment {
 public:
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    if (saved_.find(name) == saved_.end()) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(SpecialFolderTest, TemporaryFiles) {
  const struct {
    std::optional<std::string> tmpdir;
    std::string expected;
  } cases[] = {
      {std::nullopt, "/tmp/"}, {"", "/tmp/"}, {"/var/tmp", "/var/tmp/"}, {"/x/", "/x/"}};
  for (const auto& c : cases) {
    ScopedEnvironment environment;
    environment.Set("TMPDIR", c.tmpdir);
    EXPECT_EQ(SpecialFolder(FolderKind::temporaryFiles), c.expected)
        << "TMPDIR=" << c.tmpdir.value_or("(unset)");
  }
}

TEST_F(FilesTest, DesktopFolder) {
  const std::string home = Path("home");
  ASSERT_TRUE(fs::create_directories(home + "/.config"));
  ASSERT_TRUE(fs::create_directories(Path("cfg")));
  const struct {
    const char* what;
    std::optional<std::string> desktopVariable;
    std::optional<std::string> home;
    std::optional<std::string> configHome;
    std::optional<std::string> userDirs;  // written to <config>/user-dirs.dirs
    std::string expected;
  } cases[] = {
      {"variable", "/d", home, std::nullopt, std::nullopt, "/d/"},
      {"no user-dirs", std::nullopt, home, std::nullopt, std::nullopt, home + "/Desktop/"},
      {"home relative", std::nullopt, home, std::nullopt,
       "# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n",
       home + "/Schreibtisch/"},
      {"absolute", std::nullopt, home, std::nullopt, "XDG_DESKTOP_DIR=\"/srv/desk top\"\n",
       "/srv/desk top/"},
      {"escaped quote", std::nullopt, home, std::nullopt, "XDG_DESKTOP_DIR=\"/a\\\"b\"\n",
       "/a\"b/"},
      {"home itself", std::nullopt, home, std::nullopt, "XDG_DESKTOP_DIR=\"$HOME/\"\n",
       home + "/"},
      {"relative value ignored", std::nullopt, home, std::nullopt,
       "XDG_DESKTOP_DIR=\"Desk\"\n", home + "/Desktop/"},
      {"config home", std::nullopt, home, Path("cfg"), "XDG_DESKTOP_DIR=\"/from/cfg\"\n",
       "/from/cfg/"},
      {"no home", std::nullopt, std::nullopt, std::nullopt, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string config = c.configHome.value_or(home + "/.config");
    fs::remove(home + "/.config/user-dirs.dirs");
    fs::remove(Path("cfg/user-dirs.dirs"));
    if (c.userDirs) std::ofstream(config + "/user-dirs.dirs") << *c.userDirs;
    ScopedEnvironment environment;
    environment.Set("XDG_DESKTOP_DIR", c.desktopVariable);
    environment.Set("HOME", c.home);
    environment.Set("XDG_CONFIG_HOME", c.configHome);
    EXPECT_EQ(SpecialFolder(FolderKind::desktop), c.expected);
  }
}

}  // namespace
}  // namespace base

namespace base {
namespace {

// File names are Texts in code page 936 here and UTF-8 on the disk: "桌面/鞋1.jpg".
TEST_F(FilesTest, ChineseNamesReachTheDiskInItsOwnSpelling) {
  const std::string desktopOnDisk = Path("\xE6\xA1\x8C\xE9\x9D\xA2");  // 桌面 in UTF-8
  ASSERT_TRUE(fs::create_directory(desktopOnDisk));
  const Text desktopText = folder_ + "/\xD7\xC0\xC3\xE6";  // 桌面 in code page 936

  ASSERT_TRUE(WriteFileBytes(desktopText + "/\xD0\xAC" "1.jpg", Bytes("shoe")));  // 鞋1.jpg
  EXPECT_EQ(Contents(desktopOnDisk + "/\xE9\x9E\x8B" "1.jpg"), "shoe");
  ByteBuffer read;
  ASSERT_TRUE(ReadFileBytes(desktopText + "/\xD0\xAC" "1.jpg", read, 100));
  EXPECT_EQ(read, Bytes("shoe"));

  ScopedEnvironment environment;
  environment.Set("XDG_DESKTOP_DIR", desktopOnDisk);
  EXPECT_EQ(SpecialFolder(FolderKind::desktop), desktopText + "/");
}

// A file its owner may not write is passed over and keeps its content, though its folder
// is writable. Root may write anything, so the check runs as an unprivileged user then.
TEST_F(FilesTest, ReadOnlyFileIsNotReplaced) {
  std::ofstream(Path("kept.jpg")) << "earlier";
  ASSERT_EQ(chmod(Path("kept.jpg").c_str(), 0444), 0);
  ASSERT_EQ(chmod(folder_.c_str(), 0777), 0);
  const int status = InChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 2;
    return WriteFileBytes(Path("kept.jpg"), Bytes("new")) ? 1 : 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Contents(Path("kept.jpg")), "earlier");
  EXPECT_EQ(Names(), (std::set<std::string>{"kept.jpg"}));
}

}  // namespace
}  // namespace base
