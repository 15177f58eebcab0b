// The `dta` tool on POSIX systems: symbolic links in packed folders,
// temporary names planted as links, a pack killed part-way, and archives
// read from standard input. Some cases run the real program.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/run_dta.h"
#include "tests/tools/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// Files in `folder` (not below it) whose names end in ".tmp".
size_t TemporaryFiles(const fs::path& folder) {
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        n += name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
    }
    return n;
}

std::vector<uint8_t> RandomBytes(size_t n) {
    std::mt19937 rng(3);
    std::vector<uint8_t> out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

// Starts the tool with `args`, standard output into a pipe whose read end
// is returned in `*out` (or to /dev/null when `out` is null), TMPDIR set.
pid_t Start(const std::vector<std::string>& args, const std::string& tmpdir, int* out) {
    int fds[2] = {-1, -1};
    if (out != nullptr && pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const int sink = out != nullptr ? fds[1] : open("/dev/null", O_WRONLY);
        dup2(sink, STDOUT_FILENO);
        if (out != nullptr) close(fds[0]);
        setenv("TMPDIR", tmpdir.c_str(), 1);
        std::vector<char*> argv = {const_cast<char*>(DTA_TOOL_PATH)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(DTA_TOOL_PATH, argv.data());
        _exit(127);
    }
    if (out != nullptr) {
        close(fds[1]);
        *out = fds[0];
    }
    return pid;
}

// Runs the tool with files limited to `limit` bytes, as on a disk that
// fills up: writes past it fail with EFBIG. Standard error goes to `errPath`.
int RunWithFileLimit(const std::vector<std::string>& args, rlim_t limit, const std::string& errPath) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, STDERR_FILENO);
        signal(SIGXFSZ, SIG_IGN);
        const struct rlimit r = {limit, limit};
        setrlimit(RLIMIT_FSIZE, &r);
        std::vector<char*> argv = {const_cast<char*>(DTA_TOOL_PATH)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(DTA_TOOL_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

}  // namespace

TEST(ToolPosix, packs_a_folder_with_file_folder_and_dangling_links) {
    TempFolder dir;
    dir.Write("doc/README", Bytes("read me"));
    dir.Write("doc/sub/x.txt", Bytes("x"));
    dir.Write("outside/system.txt", Bytes("a file outside the folder"));
    fs::create_symlink("README", dir.path() / "doc/FAQ");
    fs::create_symlink(dir.path() / "outside/system.txt", dir.path() / "doc/licence");
    fs::create_symlink("sub", dir.path() / "doc/more");
    fs::create_symlink(dir.path() / "outside", dir.path() / "doc/elsewhere");
    fs::create_symlink("gone", dir.path() / "doc/dangling");
    const std::string archive = dir / "doc.dta";

    Outcome pack = Dta({"pack", archive, "-C", dir.path().string(), "doc"});
    ASSERT_EQ(pack.code, 0) << pack.err;
    // File links by their own names, with the contents they lead to.
    EXPECT_EQ(Dta({"cat", archive, "doc/FAQ"}).out, "read me");
    EXPECT_EQ(Dta({"cat", archive, "doc/licence"}).out, "a file outside the folder");
    Outcome list = Dta({"list", archive});
    EXPECT_NE(list.out.find("4 entries"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find(".."), std::string::npos) << list.out;
    // Folder links and dangling links: skipped, never silently.
    for (const char* skipped : {"doc/more: link to a folder", "doc/elsewhere: link to a folder",
                                "doc/dangling: the link leads nowhere"})
        EXPECT_NE(pack.err.find(skipped), std::string::npos) << skipped << "\n" << pack.err;
}

TEST(ToolPosix, of_names_that_differ_only_in_letter_case_one_is_packed) {
    TempFolder dir;
    dir.Write("src/Index.html", Bytes("upper"));
    dir.Write("src/index.html", Bytes("lower"));
    Outcome pack = Dta({"pack", dir / "a.dta", "-C", dir / "src", "."});
    // The archive is written, but lacks a file: exit 1, as tar does.
    ASSERT_EQ(pack.code, 1) << pack.err;
    EXPECT_NE(pack.err.find("index.html is taken by "), std::string::npos) << pack.err;
    EXPECT_NE(pack.err.find("1 file was left out"), std::string::npos) << pack.err;
    EXPECT_EQ(Dta({"cat", dir / "a.dta", "INDEX.HTML"}).out, "upper");
    // Named on the command line, the same clash is an error.
    Outcome twice = Dta({"pack", dir / "b.dta", "-C", dir / "src", "Index.html", "index.html"});
    EXPECT_EQ(twice.code, 1);
    EXPECT_NE(twice.err.find("entry name given twice"), std::string::npos) << twice.err;
    EXPECT_FALSE(fs::exists(dir.path() / "b.dta"));
}

TEST(ToolPosix, special_files_and_refused_names_are_left_out_with_exit_1) {
    TempFolder dir;
    dir.Write("src/keep.txt", Bytes("k"));
    dir.Write("src/b 2024-01-01 12:00.log", Bytes("colon"));
    dir.Write("src/new\nline.txt", Bytes("newline"));
    ASSERT_EQ(mkfifo((dir.path() / "src/pipe").c_str(), 0600), 0);
    Outcome pack = Dta({"pack", dir / "a.dta", "-C", dir / "src", "."});
    EXPECT_EQ(pack.code, 1) << pack.err;
    EXPECT_NE(pack.err.find("pipe: a named pipe, not a regular file"), std::string::npos) << pack.err;
    EXPECT_NE(pack.err.find("12:00.log: ':' is not allowed in a name"), std::string::npos) << pack.err;
    EXPECT_NE(pack.err.find("control characters are not allowed in a name"), std::string::npos) << pack.err;
    EXPECT_NE(pack.err.find("3 files were left out"), std::string::npos) << pack.err;
    EXPECT_EQ(Dta({"cat", dir / "a.dta", "keep.txt"}).out, "k");

    // A folder given twice loses nothing: a warning that says so, exit 0.
    dir.Write("med/m.txt", Bytes("m"));
    Outcome folders = Dta({"pack", dir / "c.dta", "-C", dir.path().string(), "med", "med"});
    EXPECT_EQ(folders.code, 0) << folders.err;
    EXPECT_NE(folders.err.find("m.txt: given twice"), std::string::npos) << folders.err;
    EXPECT_EQ(folders.err.find("letter case"), std::string::npos) << folders.err;
}

TEST(ToolPosix, pack_keeps_the_replaced_archives_mode_and_writes_through_a_link) {
    TempFolder dir;
    dir.Write("src/a.txt", Bytes("a"));
    const fs::path archive = dir.path() / "real.dta";
    ASSERT_EQ(Dta({"pack", "-q", archive.string(), dir / "src"}).code, 0);
    fs::permissions(archive, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    fs::create_symlink("real.dta", dir.path() / "link.dta");

    dir.Write("src/b.txt", Bytes("b"));
    const Outcome pack = Dta({"pack", "-q", dir / "link.dta", dir / "src"});
    ASSERT_EQ(pack.code, 0) << pack.err;
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.dta"));
    EXPECT_EQ(fs::status(archive).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_NE(Dta({"list", archive.string()}).out.find("2 entries"), std::string::npos);
}

TEST(ToolPosix, a_planted_temporary_link_is_never_followed) {
    TempFolder dir;
    dir.Write("src/e.txt", Bytes("entry"));
    const std::string outside = dir.Write("outside.txt", Bytes("precious"));
    fs::create_directories(dir.path() / "z");
    fs::create_symlink("../outside.txt", dir.path() / "z/e.txt.tmp");
    fs::create_symlink("outside.txt", dir.path() / "a.dta.tmp");

    ASSERT_EQ(Dta({"pack", "-q", dir / "a.dta", "-C", dir / "src", "e.txt"}).code, 0);
    Outcome x = Dta({"extract", "-C", dir / "z", dir / "a.dta"});
    ASSERT_EQ(x.code, 0) << x.err;
    EXPECT_EQ(TempFolder::Read(outside), Bytes("precious"));
    EXPECT_EQ(TempFolder::Read(dir / "z/e.txt"), Bytes("entry"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "z/e.txt.tmp"));
}

TEST(ToolPosix, a_link_in_the_way_of_an_entry_is_refused) {
    TempFolder dir;
    dir.Write("src/sub/e.txt", Bytes("entry"));
    fs::create_directories(dir.path() / "elsewhere");
    fs::create_directories(dir.path() / "z");
    fs::create_symlink(dir.path() / "elsewhere", dir.path() / "z/sub");
    ASSERT_EQ(Dta({"pack", "-q", dir / "a.dta", "-C", dir / "src", "."}).code, 0);
    Outcome x = Dta({"extract", "-C", dir / "z", dir / "a.dta"});
    EXPECT_EQ(x.code, 1);
    EXPECT_NE(x.err.find("symbolic link"), std::string::npos) << x.err;
    EXPECT_TRUE(fs::is_empty(dir.path() / "elsewhere"));
}

TEST(ToolPosix, a_killed_pack_leaves_nothing_behind) {
    TempFolder dir;
    dir.Write("src/big.bin", RandomBytes(12 << 20));
    const fs::path scratch = dir.path() / "scratch";
    fs::create_directories(scratch);

    // Writing to a pipe that nobody reads: the archive is complete in a
    // scratch file and the copy to standard output blocks. Its first bytes
    // arriving is the sign to strike.
    int out = -1;
    pid_t pid = Start({"pack", "-q", "-o", "-", "-C", dir / "src", "."}, scratch.string(), &out);
    ASSERT_GT(pid, 0);
    char magic[4] = {};
    ASSERT_EQ(read(out, magic, sizeof magic), 4);
    EXPECT_EQ(std::string(magic, 4), "PWD0");
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = Wait(pid);
    close(out);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_TRUE(fs::is_empty(scratch));

    // Writing to a file: strike as soon as its temporary file shows. On a
    // fast machine the pack may be done by then; either way no temporary
    // file remains, and an archive that exists is whole.
    pid = Start({"pack", "-q", dir / "out/big.dta", "-C", dir / "src", "."}, scratch.string(), nullptr);
    ASSERT_GT(pid, 0);
    fs::create_directories(dir.path() / "out");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (TemporaryFiles(dir.path() / "out") == 0 && !fs::exists(dir.path() / "out/big.dta") &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(pid, SIGTERM);
    Wait(pid);
    EXPECT_EQ(TemporaryFiles(dir.path() / "out"), 0u);
    if (fs::exists(dir.path() / "out/big.dta")) {
        EXPECT_EQ(Dta({"verify", "-q", dir / "out/big.dta"}).code, 0);
    }
}

TEST(ToolPosix, a_full_disk_stops_extract_and_pack_at_the_first_failure) {
    TempFolder dir;
    for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin"})
        dir.Write(std::string("src/") + name, RandomBytes(40000));
    const std::string archive = dir / "a.dta";
    ASSERT_EQ(Dta({"pack", "-q", "--method", "stored", archive, "-C", dir / "src", "."}).code, 0);
    const std::string errPath = dir / "err.txt";
    auto errors = [&] {
        const std::vector<uint8_t> text = TempFolder::Read(errPath);
        return std::string(text.begin(), text.end());
    };

    // One message, naming the file being written and the system's reason;
    // no temporary file stays behind.
    fs::create_directories(dir.path() / "out");
    EXPECT_EQ(RunWithFileLimit({"extract", "-C", dir / "out", archive}, 20000, errPath), 1);
    EXPECT_EQ(errors(), "dta: cannot write " + dir / "out/a.bin" + ": File too large\n");
    EXPECT_TRUE(fs::is_empty(dir.path() / "out"));

    EXPECT_EQ(RunWithFileLimit({"pack", "-q", dir / "out/b.dta", "-C", dir / "src", "."}, 20000, errPath), 1);
    EXPECT_EQ(errors(), "dta: cannot write " + dir / "out/b.dta" + ": File too large\n");
    EXPECT_TRUE(fs::is_empty(dir.path() / "out"));
}

TEST(ToolPosix, list_and_verify_read_standard_input) {
    TempFolder dir;
    dir.Write("src/a.txt", Bytes("alpha"));
    const std::string archive = dir / "a.dta";
    ASSERT_EQ(Dta({"pack", "-q", archive, "-C", dir / "src", "."}).code, 0);
    const std::string tool = DTA_TOOL_PATH;
    const std::string listing = dir / "listing.txt";
    const std::string command = "TMPDIR='" + dir.path().string() + "' '" + tool + "' list - < '" + archive +
                                "' > '" + listing + "' && '" + tool + "' verify -q - < '" + archive + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> listed = TempFolder::Read(listing);
    EXPECT_NE(LineWith(std::string(listed.begin(), listed.end()), "a.txt"), "");
    // The scratch copy of standard input is gone.
    EXPECT_EQ(TemporaryFiles(dir.path()), 0u);
}

TEST(ToolPosix, a_full_disk_on_standard_output_is_named_with_its_reason) {
    TempFolder dir;
    dir.Write("src/a.bin", RandomBytes(200000));
    const std::string archive = dir / "a.dta";
    ASSERT_EQ(Dta({"pack", "-q", archive, "-C", dir / "src", "."}).code, 0);
    const std::string tool = DTA_TOOL_PATH;
    const std::string errPath = dir / "err.txt";
    auto run = [&](const std::string& args) {
        const std::string command = "'" + tool + "' " + args + " 2> '" + errPath + "'";
        const int status = std::system(command.c_str());
        const std::vector<uint8_t> text = TempFolder::Read(errPath);
        return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                              std::string(text.begin(), text.end()));
    };
    for (const std::string& args :
         {"cat '" + archive + "' a.bin > /dev/full", "pack -q -o - -C '" + dir / "src" + "' . > /dev/full"}) {
        const auto [code, err] = run(args);
        EXPECT_EQ(code, 1) << args;
        EXPECT_EQ(err, "dta: cannot write to standard output: No space left on device\n") << args;
    }
    // Without standard output at all, pack fails rather than write the
    // archive into whatever file takes its place.
    const auto [code, err] = run("pack -q -o - -C '" + dir / "src" + "' . >&-");
    EXPECT_EQ(code, 1);
    EXPECT_NE(err.find("cannot write to standard output"), std::string::npos) << err;
}

TEST(ToolPosix, an_entry_of_exactly_4_gib_is_refused_as_such) {
    TempFolder dir;
    const std::string big = dir / "big.bin";
    { std::ofstream(big, std::ios::binary); }
    fs::resize_file(big, uint64_t{1} << 32);  // sparse: no disk space
    Outcome pack = Dta({"pack", "-q", dir / "a.dta", big});
    EXPECT_EQ(pack.code, 1);
    EXPECT_NE(pack.err.find("big.bin: 4 GiB or larger (an entry holds at most 4,294,967,295 bytes)"),
              std::string::npos)
        << pack.err;
    EXPECT_EQ(pack.err.find("larger than 4 GiB"), std::string::npos) << pack.err;
}

TEST(ToolPosix, an_unreadable_folder_is_named_itself_not_the_folder_packed) {
    TempFolder dir;
    dir.Write("src/a.txt", Bytes("a"));
    dir.Write("src/locked/b.txt", Bytes("b"));
    const fs::path locked = dir.path() / "src/locked";
    fs::permissions(locked, fs::perms::none);
    if (access(locked.c_str(), R_OK) == 0) {
        fs::permissions(locked, fs::perms::owner_all);
        GTEST_SKIP() << "folders without permissions are readable here (root)";
    }
    Outcome pack = Dta({"pack", "-q", dir / "a.dta", dir / "src"});
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(pack.code, 1);
    EXPECT_EQ(pack.err, "dta: cannot read folder " + locked.string() + ": Permission denied\n");
}
