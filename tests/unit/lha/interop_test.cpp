// Against the other archivers, on the host (simulation only: the peers are
// Linux programs, and the simulation passes '/' paths through to the host):
// lhasa's corpus extracted as lhasa extracts it, our archives extracted
// byte for byte by lhasa, bsdtar, jlha and 7z, and jlha's archives by us.
// A peer that is not installed skips its part.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "archive_files.h"
#include "codec_streams.h"
#include "testenv.h"

namespace {

bool HasProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1 </dev/null").c_str()); }

std::string HostRead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void HostWrite(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Regular files below `dir`: lower-cased last component -> path.
void CollectFiles(const std::string& dir, std::map<std::string, std::string>* files, bool recursive) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string path = dir + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (recursive) CollectFiles(path, files, true);
        } else if (S_ISREG(st.st_mode)) {
            (*files)[Lower(name)] = path;
        }
    }
    closedir(d);
}

class InteropTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        char pattern[] = "/tmp/brv-lha-interop-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        host_ = pattern;
    }
    void TearDown() override {
        if (!host_.empty()) Shell("rm -rf '" + host_ + "'");
        BrvTest::TearDown();
    }
    std::string Fresh(const std::string& name) {
        std::string dir = host_ + "/" + name;
        Shell("rm -rf '" + dir + "'");
        EXPECT_EQ(mkdir(dir.c_str(), 0755), 0);
        return dir;
    }
    std::string host_;
};

// Corpus archives we refuse, and why. Every other one must extract to what
// lhasa extracts.
const std::map<std::string, LhaStatus>& ExpectedRefusals() {
    static const std::map<std::string, LhaStatus> refusals = {
        {"COPYING.md", kLhaNotArchive},
        {"lha_x68k_213/sfx.x", kLhaNotArchive},        // self-extracting programs
        {"lharc_atari_313a/sfx.tos", kLhaNotArchive},
        {"lha_amiga_122/sfx.run", kLhaNotArchive},
        {"lh2_222/eas.lzh", kLhaDamaged},              // hello.txt twice once paths are dropped
        {"lhark04d/lh7.lzh", kLhaDamaged},             // lhasa fails on these as well
        {"lhark04d/lh7_long.lzh", kLhaDamaged},
        {"regression/truncated.lzh", kLhaDamaged},
        {"lha_amiga_122/lh0_dirs_bug.lzh", kLhaUnsafeName},  // directories stored as nameless files
        {"regression/badterm.lzh", kLhaUnsafeName},    // terminal escapes in a name
        {"morphos_lha_2717/h2_huge.lzh", kLhaTooLarge},  // 4.5 GiB
        {"generated/pm1/pm1.pma", kLhaUnsupported},
        {"regression/dir.lzh", kLhaUnsupported},
        {"unlha32/h2_lhx.lzh", kLhaUnsupported},
        {"unlha32/lh2.lzh", kLhaUnsupported},
        {"unlha32/lh3.lzh", kLhaUnsupported},
        {"unlha32/lhx_long.lzh", kLhaUnsupported},
        // Directory and symbolic-link entries, and PMarc's methods:
        {"explzh_723/h0_subdir.lzh", kLhaUnsupported},
        {"explzh_723/h1_subdir.lzh", kLhaUnsupported},
        {"explzh_723/h2_subdir.lzh", kLhaUnsupported},
        {"lha_os2_208/h3_subdir.lzh", kLhaUnsupported},
        {"lha_os2_208/subdir.lzh", kLhaUnsupported},
        {"lha_osk_201/h0_subdir.lzh", kLhaUnsupported},
        {"lha_osk_201/h1_subdir.lzh", kLhaUnsupported},
        {"lha_osk_201/h2_subdir.lzh", kLhaUnsupported},
        {"lha_unix114i/h0_subdir.lzh", kLhaUnsupported},
        {"lha_unix114i/h0_symlink.lzh", kLhaUnsupported},
        {"lha_unix114i/h1_subdir.lzh", kLhaUnsupported},
        {"lha_unix114i/h1_symlink.lzh", kLhaUnsupported},
        {"lha_unix114i/h1_symlink2.lzh", kLhaUnsupported},
        {"lha_unix114i/h1_symlink3.lzh", kLhaUnsupported},
        {"lha_unix114i/h2_subdir.lzh", kLhaUnsupported},
        {"lha_unix114i/h2_symlink.lzh", kLhaUnsupported},
        {"lha_unix114i/h2_symlink2.lzh", kLhaUnsupported},
        {"lha_unix114i/h2_symlink3.lzh", kLhaUnsupported},
        {"lha_x68k_213/h1_subdir.lzh", kLhaUnsupported},
        {"lha_x68k_213/h2_subdir.lzh", kLhaUnsupported},
        {"lhmelt_16536/h0_subdir.lzh", kLhaUnsupported},
        {"lhmelt_16536/h1_subdir.lzh", kLhaUnsupported},
        {"lhmelt_16536/h2_subdir.lzh", kLhaUnsupported},
        {"regression/symlink1.lzh", kLhaUnsupported},
        {"regression/symlink2.lzh", kLhaUnsupported},
        {"regression/symlink3.lzh", kLhaUnsupported},
        {"pmarc124/mtcd.pma", kLhaUnsupported},
        {"pmarc124/pm0.pma", kLhaUnsupported},
        {"pmarc124/pm1.pma", kLhaUnsupported},
        {"pmarc124/pm1_long.pma", kLhaUnsupported},
        {"pmarc2/comment.pma", kLhaUnsupported},
        {"pmarc2/long.pma", kLhaUnsupported},
        {"pmarc2/pm0.pma", kLhaUnsupported},
        {"pmarc2/pm2.pma", kLhaUnsupported},
    };
    return refusals;
}

TEST_F(InteropTest, CorpusExtractsAsLhasaDoes) {
    const std::string corpus = BRV_LHA_CORPUS;
    if (!HasProgram("lhasa")) GTEST_SKIP() << "lhasa is not installed";
    struct stat st;
    if (stat(corpus.c_str(), &st) != 0) GTEST_SKIP() << "no corpus at " << corpus;
    FILE* list = popen(("cd '" + corpus + "' && find . -type f ! -name 'README*' | sort").c_str(), "r");
    ASSERT_NE(list, nullptr);
    char line[4096];
    int checked = 0, extracted = 0;
    while (fgets(line, sizeof line, list)) {
        std::string relative = std::string(line + 2);  // without "./"
        relative.erase(relative.find_last_not_of("\r\n") + 1);
        SCOPED_TRACE(relative);
        const std::string archive = corpus + "/" + relative;
        const bool maclha = relative.rfind("maclha_224/", 0) == 0;
        auto refusal = ExpectedRefusals().find(relative);
        const bool refused = refusal != ExpectedRefusals().end();
        const std::string ours = Fresh("ours");
        CommandResult r = Carry(ExtractCommand(archive, ours + "/"));
        ++checked;
        std::map<std::string, std::string> ourFiles;
        CollectFiles(ours, &ourFiles, false);
        if (refused) {
            EXPECT_EQ(r.result, refusal->second);
            EXPECT_TRUE(ourFiles.empty());
            continue;
        }
        ASSERT_EQ(r.result, 0) << "status " << r.failure.status;
        ++extracted;
        const std::string theirs = Fresh("lhasa");
        int lhasaExit = Shell("cd '" + theirs + "' && lhasa xq '" + archive + "'");
        if (relative == "lh2_222/easubdir.lzh") {
            // Its first member, a file, is named like the folder of the second:
            // lhasa cannot make that folder; flat, both fit.
            EXPECT_NE(lhasaExit, 0);
            EXPECT_EQ(ourFiles.size(), 3u);
            continue;
        }
        EXPECT_EQ(lhasaExit, 0);
        std::map<std::string, std::string> theirFiles;
        CollectFiles(theirs, &theirFiles, true);
        EXPECT_EQ(ourFiles.size(), theirFiles.size());
        for (const auto& f : ourFiles) {
            auto match = theirFiles.find(f.first);
            ASSERT_NE(match, theirFiles.end()) << f.first;
            std::string mine = HostRead(f.second), lhasa = HostRead(match->second);
            if (maclha && mine != lhasa) {
                // MacLHA stores MacBinary; lhasa unwraps the data fork that starts at 128.
                ASSERT_GE(mine.size(), 128 + lhasa.size()) << f.first;
                EXPECT_TRUE(mine.compare(128, lhasa.size(), lhasa) == 0) << f.first;
            } else {
                EXPECT_TRUE(mine == lhasa) << f.first;
            }
        }
    }
    pclose(list);
    EXPECT_GT(checked, 200);
    EXPECT_GT(extracted, 120);
}

// Files every peer must get back byte for byte.
std::vector<std::pair<std::string, std::string>> PeerFiles() {
    return {
        {"empty", ""},
        {"one", "1"},
        {"window", SnapshotLikeBytes(8192)},
        {"random", RandomBytes(1 << 20, 11)},
        {"snapshot", SnapshotLikeBytes(5 << 20)},
        {"profile", std::string("\x00\x01\x05\x00\x00\x00alice\x00\x00\x00\x00", 15)},
        {"gateway.1", SnapshotLikeBytes(40000) + RandomBytes(3000, 2) + SnapshotLikeBytes(40000)},
    };
}

TEST_F(InteropTest, PeersExtractOurArchives) {
    const std::string source = Fresh("source");
    for (const auto& f : PeerFiles()) HostWrite(source + "/" + f.first, f.second);
    const std::string archive = host_ + "/ours.lzh";
    ASSERT_EQ(Carry(PackCommand(archive, source + "/")).result, 0);
    struct Peer {
        const char* program;
        const char* extract;  // run inside the target folder, archive appended
    } peers[] = {{"lhasa", "lhasa xq"}, {"bsdtar", "bsdtar xf"}, {"jlha", "jlha x"}, {"7z", "7z x -y"}};
    int ran = 0;
    for (const Peer& peer : peers) {
        SCOPED_TRACE(peer.program);
        if (!HasProgram(peer.program)) continue;
        ++ran;
        const std::string target = Fresh(peer.program);
        EXPECT_EQ(Shell("cd '" + target + "' && " + peer.extract + " '" + archive + "'"), 0);
        std::map<std::string, std::string> files;
        CollectFiles(target, &files, true);
        EXPECT_EQ(files.size(), PeerFiles().size());
        for (const auto& f : PeerFiles()) {
            auto found = files.find(f.first);
            ASSERT_NE(found, files.end()) << f.first;
            EXPECT_TRUE(HostRead(found->second) == f.second) << f.first;
        }
    }
    if (ran == 0) GTEST_SKIP() << "no other archiver installed";
}

TEST_F(InteropTest, WeExtractJlhaArchives) {
    if (!HasProgram("jlha")) GTEST_SKIP() << "jlha is not installed";
    const std::string source = Fresh("source");
    for (const auto& f : PeerFiles()) HostWrite(source + "/" + f.first, f.second);
    // jlha's options: header level 0, 1 or 2, then o5/o6/o7 for the method or z to store.
    for (const char* level : {"0", "1", "2"}) {
        for (const char* method : {"o5", "o6", "o7", "z"}) {
            std::string options = std::string("a") + level + method;
            SCOPED_TRACE(options);
            const std::string archive = host_ + "/jlha-" + options + ".lzh";
            ASSERT_EQ(Shell("cd '" + source + "' && jlha " + options + " '" + archive + "' *"), 0);
            CommandResult list = Carry("l " + Quoted(archive));
            ASSERT_EQ(list.result, 0);
            const char* expectedMethod = !std::strcmp(method, "z") ? "-lh0-" : !std::strcmp(method, "o5") ? "-lh5-"
                                         : !std::strcmp(method, "o6") ? "-lh6-" : "-lh7-";
            EXPECT_NE(list.output.find(std::string(expectedMethod) + "     5242880"), std::string::npos) << list.output;
            EXPECT_EQ(HostRead(archive)[20], level[0] - '0');
            const std::string target = Fresh("target");
            CommandResult r = Carry(ExtractCommand(archive, target + "/"));
            ASSERT_EQ(r.result, 0) << r.failure.status;
            for (const auto& f : PeerFiles()) EXPECT_TRUE(HostRead(target + "/" + f.first) == f.second) << f.first;
        }
    }
}

}  // namespace
