// Output files: what a hostile or mistaken target name may and may not do.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <set>
#include <string>
#include <thread>

#include "platform/OutputFile.h"
#include "platform/Wav.h"
#include "support/TestSupport.h"

namespace {

using lmtest::Bytes;

std::set<std::string> listDir(const std::string& dir) {
  std::set<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.insert(n);
    }
    ::closedir(d);
  }
  return names;
}

std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

bool isLink(const char* path) {
  struct stat st;
  return ::lstat(path, &st) == 0 && S_ISLNK(st.st_mode);
}

class OutputFileTest : public ::testing::Test {
 protected:
  lmtest::ScratchDir dir;
  void TearDown() override {
    platform::setTemporaryTagSource(nullptr);
    platform::OutputSet::setRenameHook(nullptr);
  }
};

TEST_F(OutputFileTest, NewAndReplacedFilesAppearWholeAndLeaveNoTemporary) {
  std::string error;
  ASSERT_TRUE(platform::writeFileAtomic("out.bin", bytes("first"), error)) << error;
  ASSERT_EQ(::chmod("out.bin", 0640), 0);
  ASSERT_TRUE(platform::writeFileAtomic("out.bin", bytes("second"), error)) << error;
  EXPECT_EQ(text(lmtest::readFile("out.bin")), "second");
  struct stat st;
  ASSERT_EQ(::stat("out.bin", &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u) << "a replaced file keeps its permissions";
  EXPECT_EQ(listDir("."), std::set<std::string>{"out.bin"});
}

TEST_F(OutputFileTest, DevicesLinksAndFoldersAreRefusedAndKept) {
  lmtest::writeText("victim.txt", "precious");
  ASSERT_EQ(::symlink("victim.txt", "link.txt"), 0);
  ASSERT_EQ(::symlink("nowhere.txt", "dangling.txt"), 0);
  lmtest::makeDirs("folder");
  std::string error;
  for (const char* target : {"/dev/zero", "link.txt", "dangling.txt", "folder", "folder/"}) {
    error.clear();
    EXPECT_EQ(platform::checkOutputPath(target, error), platform::OutputKind::Refused) << target;
    EXPECT_FALSE(error.empty()) << target;
    EXPECT_FALSE(platform::writeFileAtomic(target, bytes("junk"), error)) << target;
  }
  struct stat st;
  ASSERT_EQ(::lstat("/dev/zero", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "/dev/zero is still the device";
  EXPECT_TRUE(isLink("link.txt"));
  EXPECT_TRUE(isLink("dangling.txt"));
  EXPECT_EQ(text(lmtest::readFile("victim.txt")), "precious");
  EXPECT_FALSE(lmtest::fileExists("nowhere.txt")) << "a dangling link's target is never created";
  EXPECT_EQ(listDir("."), (std::set<std::string>{"victim.txt", "link.txt", "dangling.txt", "folder"}));
}

std::string plantedThenFresh() {
  static int calls = 0;
  return ++calls % 2 ? "planted" : "fresh";
}

TEST_F(OutputFileTest, ALinkPlantedAtTheTemporaryNameIsNotFollowed) {
  lmtest::writeText("victim.txt", "precious");
  // The first temporary name the writer will try is a link to the victim;
  // the legacy fixed names are planted too.
  ASSERT_EQ(::symlink("victim.txt", ".out.txt.planted.tmp"), 0);
  ASSERT_EQ(::symlink("victim.txt", "out.txt.tmp"), 0);
  ASSERT_EQ(::symlink("victim.txt", "out.txt.part"), 0);
  platform::setTemporaryTagSource(plantedThenFresh);
  std::string error;
  ASSERT_TRUE(platform::writeFileAtomic("out.txt", bytes("new"), error)) << error;
  EXPECT_EQ(text(lmtest::readFile("out.txt")), "new");
  EXPECT_EQ(text(lmtest::readFile("victim.txt")), "precious");
  EXPECT_TRUE(isLink(".out.txt.planted.tmp"));
  EXPECT_TRUE(isLink("out.txt.tmp"));
  EXPECT_EQ(listDir(".").size(), 5u) << "no temporary is left";
}

TEST_F(OutputFileTest, AMissingFolderIsReportedBeforeAnythingIsWritten) {
  std::string error;
  EXPECT_EQ(platform::checkOutputPath("no/such/dir/out.png", error), platform::OutputKind::Refused);
  EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
  lmtest::writeText("file", "x");
  EXPECT_EQ(platform::checkOutputPath("file/out.png", error), platform::OutputKind::Refused);
  EXPECT_EQ(platform::checkOutputPath("", error), platform::OutputKind::Refused);
  EXPECT_EQ(platform::checkOutputPath("fresh.png", error), platform::OutputKind::Replace);
  EXPECT_EQ(platform::checkOutputPath("file", error), platform::OutputKind::Replace);
  EXPECT_EQ(platform::checkOutputPath("-", error), platform::OutputKind::Stream);
}

TEST_F(OutputFileTest, TwoOutputsNamingOneFileAreRefused) {
  lmtest::makeDirs("sub");
  lmtest::writeText("old.txt", "x");
  ASSERT_EQ(::link("old.txt", "hard.txt"), 0);
  std::string error;
  EXPECT_TRUE(platform::checkOutputPaths({{"--trace", "a.txt"}, {"--frame-hashes", "b.txt"}}, error)) << error;
  EXPECT_FALSE(platform::checkOutputPaths({{"--trace", "a.txt"}, {"--shot 5", "sub/../a.txt"}}, error));
  EXPECT_NE(error.find("--trace and --shot 5"), std::string::npos) << error;
  EXPECT_FALSE(platform::checkOutputPaths({{"--trace", "old.txt"}, {"--audio-out", "hard.txt"}}, error));
  EXPECT_FALSE(platform::checkOutputPaths({{"--trace", "-"}, {"--frame-hashes", "-"}}, error));
  EXPECT_FALSE(platform::checkOutputPaths({{"--trace", "a.txt"}, {"--shot 1", "/dev/zero"}}, error));
  EXPECT_NE(error.find("--shot 1"), std::string::npos) << error;
}

TEST_F(OutputFileTest, AFifoIsWrittenAsAStream) {
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  std::string got;
  std::thread reader([&] {
    FILE* in = std::fopen("pipe", "rb");
    if (!in) return;
    int c;
    while ((c = std::fgetc(in)) != EOF) got += static_cast<char>(c);
    std::fclose(in);
  });
  platform::OutputFile out;
  std::string error;
  ASSERT_TRUE(out.open("pipe", error)) << error;
  EXPECT_FALSE(out.replacing());
  out.write("streamed", 8);
  EXPECT_TRUE(out.commit(error)) << error;
  reader.join();
  EXPECT_EQ(got, "streamed");
  struct stat st;
  ASSERT_EQ(::lstat("pipe", &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(listDir("."), std::set<std::string>{"pipe"});
}

TEST_F(OutputFileTest, AnAbandonedOrFailedWriteKeepsTheOldFile) {
  lmtest::writeText("keep.txt", "old");
  {
    platform::OutputFile out;
    std::string error;
    ASSERT_TRUE(out.open("keep.txt", error)) << error;
    out.write("new", 3);
  }  // never committed
  EXPECT_EQ(text(lmtest::readFile("keep.txt")), "old");
  EXPECT_EQ(listDir("."), std::set<std::string>{"keep.txt"});

  // A full disk, as a file size limit makes it, in a child process.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &lim);
    std::string error;
    bool ok = platform::writeFileAtomic("keep.txt", Bytes(100000, 'x'), error);
    ::_exit(ok ? 1 : error.find("keep.txt") != std::string::npos ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write must fail with a reason naming the file";
  EXPECT_EQ(text(lmtest::readFile("keep.txt")), "old");
  EXPECT_EQ(listDir("."), std::set<std::string>{"keep.txt"}) << "no fragment is left";
}

TEST_F(OutputFileTest, ALogWrittenInPlaceGrowsUnderItsNameButNeverThroughALink) {
  lmtest::writeText("victim.txt", "precious");
  ASSERT_EQ(::symlink("victim.txt", "link.log"), 0);
  std::string error;
  EXPECT_EQ(platform::openOutputInPlace("link.log", error), nullptr);
  EXPECT_EQ(platform::openOutputInPlace("/dev/zero", error), nullptr);
  EXPECT_EQ(text(lmtest::readFile("victim.txt")), "precious");
  lmtest::writeText("run.log", "old lines");
  std::FILE* fp = platform::openOutputInPlace("run.log", error);
  ASSERT_NE(fp, nullptr) << error;
  EXPECT_TRUE(lmtest::readFile("run.log").empty()) << "emptied at once";
  std::fputs("1 keys 00\n", fp);
  std::fflush(fp);
  EXPECT_EQ(text(lmtest::readFile("run.log")), "1 keys 00\n") << "visible while the run goes";
  std::fclose(fp);
}

bool failThirdRename(size_t n) { return n != 2; }

TEST_F(OutputFileTest, ASetIsReplacedWholeOrNotAtAll) {
  lmtest::makeDirs("data");
  lmtest::writeText("a.ini", "old a");
  lmtest::writeText("data/b.bin", "old b");
  auto makeSet = [](const std::string& tag) {
    platform::OutputSet set;
    set.add("a.ini", bytes("new a " + tag));
    set.add("data/b.bin", bytes("new b " + tag));
    set.add("data/c.bin", bytes("new c " + tag));  // does not exist yet
    return set;
  };
  std::string error;
  platform::OutputSet::setRenameHook(failThirdRename);
  platform::OutputSet failing = makeSet("1");
  EXPECT_FALSE(failing.commit(error));
  EXPECT_NE(error.find("c.bin"), std::string::npos) << error;
  EXPECT_EQ(text(lmtest::readFile("a.ini")), "old a");
  EXPECT_EQ(text(lmtest::readFile("data/b.bin")), "old b");
  EXPECT_FALSE(lmtest::fileExists("data/c.bin"));
  EXPECT_EQ(listDir("."), (std::set<std::string>{"a.ini", "data"}));
  EXPECT_EQ(listDir("data"), std::set<std::string>{"b.bin"});

  // A target that is not a regular file stops the set before anything changes.
  ASSERT_EQ(::symlink("a.ini", "data/c.bin"), 0);
  platform::OutputSet::setRenameHook(nullptr);
  platform::OutputSet refused = makeSet("2");
  EXPECT_FALSE(refused.commit(error));
  EXPECT_EQ(text(lmtest::readFile("a.ini")), "old a");
  EXPECT_EQ(text(lmtest::readFile("data/b.bin")), "old b");
  ASSERT_EQ(::unlink("data/c.bin"), 0);

  platform::OutputSet good = makeSet("3");
  ASSERT_TRUE(good.commit(error)) << error;
  EXPECT_EQ(text(lmtest::readFile("a.ini")), "new a 3");
  EXPECT_EQ(text(lmtest::readFile("data/b.bin")), "new b 3");
  EXPECT_EQ(text(lmtest::readFile("data/c.bin")), "new c 3");
  EXPECT_EQ(listDir("data"), (std::set<std::string>{"b.bin", "c.bin"}));
}

uint32_t le32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

TEST_F(OutputFileTest, AWavStoppedAtItsLimitIsStillAValidFile) {
  platform::WavWriter wav;
  ASSERT_TRUE(wav.open("cut.wav", 44100, 2, 16));
  wav.setLimit(1002);  // not a whole frame: the limit keeps whole frames
  Bytes samples(600, 7);
  EXPECT_TRUE(wav.write(samples.data(), samples.size()));
  EXPECT_FALSE(wav.full());
  EXPECT_TRUE(wav.write(samples.data(), samples.size()));
  EXPECT_TRUE(wav.full());
  EXPECT_TRUE(wav.write(samples.data(), samples.size())) << "past the limit is dropped, not an error";
  ASSERT_TRUE(wav.close());
  Bytes file = lmtest::readFile("cut.wav");
  ASSERT_EQ(file.size(), 44u + 1000u);
  EXPECT_EQ(le32(file, 4), 36u + 1000u);
  EXPECT_EQ(le32(file, 40), 1000u);
}

TEST_F(OutputFileTest, AStreamedWavSaysItsLengthIsUnknown) {
  ASSERT_EQ(::mkfifo("wav.pipe", 0600), 0);
  Bytes got;
  std::thread reader([&] {
    FILE* in = std::fopen("wav.pipe", "rb");
    if (!in) return;
    int c;
    while ((c = std::fgetc(in)) != EOF) got.push_back(static_cast<unsigned char>(c));
    std::fclose(in);
  });
  platform::WavWriter wav;
  ASSERT_TRUE(wav.open("wav.pipe", 22050, 1, 8));
  signed char s[3] = {0, 1, -1};
  wav.writeSigned8(s, 3);
  EXPECT_TRUE(wav.close());
  reader.join();
  ASSERT_EQ(got.size(), 47u);
  EXPECT_EQ(le32(got, 4), 0xFFFFFFFFu);
  EXPECT_EQ(le32(got, 40), 0xFFFFFFFFu);
  EXPECT_EQ(got[44], 128);
  EXPECT_EQ(got[46], 127);
}

}  // namespace
