// WalkSnapshot: every record in file order, each subkey's own records
// between its enter and leave, and the validation's stop at the first
// problem. VisitIndexNames: the names an index reading visits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapshot/registry_snapshot.h"
#include "tests/unit/snapshot/snapshot_test_util.h"
#include "walk_recorder.h"

using snaptest::Dword;
using snaptest::Subkey;
using snaptest::Value;

namespace {

using Events = std::vector<std::string>;

void OnValue(void* context, LPCSTR name, DWORD type, const BYTE* data, DWORD size) {
    static_cast<Events*>(context)->push_back("value " + std::string(name) + " " + std::to_string(type) + " " +
                                             std::string(reinterpret_cast<const char*>(data), size));
}
void OnEnter(void* context, LPCSTR name) { static_cast<Events*>(context)->push_back("enter " + std::string(name)); }
void OnLeave(void* context) { static_cast<Events*>(context)->push_back("leave"); }

class SnapshotWalkTest : public BrvTest {
protected:
    int Walk(Events* events) {
        const SnapshotVisitor visitor{OnValue, OnEnter, OnLeave, events};
        return WalkSnapshot(nullptr, "proxy", Dir().c_str(), &visitor);
    }
    void Put(const std::string& name, const std::string& bytes) { WriteBytes(Dir() + name, bytes); }
};

TEST_F(SnapshotWalkTest, RecordsComeInFileOrderWithSubkeysNested) {
    Put("proxy", Subkey("A", "proxy.0") + Subkey("B", "proxy.1") + Value("top", REG_SZ, "t"));
    Put("proxy.0", Subkey("Deep", "proxy.0.0") + Value("a", REG_DWORD, "1234"));
    Put("proxy.0.0", "");
    Put("proxy.1", Value("", REG_BINARY, "b"));
    Events events;
    EXPECT_EQ(1, Walk(&events));
    EXPECT_EQ((Events{"enter A", "enter Deep", "leave", "value a 4 1234", "leave", "enter B", "value  3 b", "leave",
                      "value top 1 t"}),
              events);
}

#if BRV_SIM
// A damaged subkey file ends the walk with the loader's report; the visitor
// still sees its leave.
TEST_F(SnapshotWalkTest, ADamagedSubkeyStopsTheWalkWithItsReport) {
    Put("proxy", Subkey("A", "proxy.0") + Value("after", REG_DWORD, Dword(1)));
    Put("proxy.0", Value("v", REG_DWORD, Dword(2)) + Dword(9));
    Events events;
    EXPECT_EQ(0, Walk(&events));
    EXPECT_EQ((Events{"enter A", "value v 4 " + Dword(2), "leave"}), events);
    EXPECT_TRUE(snaptest::OneInformationBox("レジストリをロードしようとしましたが、テンポラリファイル\"" + Dir() +
                                            "proxy.0\"が破損しています。"));
}
#endif

TEST_F(SnapshotWalkTest, IndexNamesAreVisitedUntilTheVisitorStops) {
    Put("tcpip", std::string("LAN1\0\0LAN2\0\0LAN3\0\0", 18));
    walktest::WalkRecorder names;
    names.stopAt = 1;
    EXPECT_EQ(-1, names.ReadIndex("tcpip", Dir().c_str()));
    EXPECT_EQ((Events{"LAN1", "LAN2"}), names.Names());
    EXPECT_EQ((std::vector<int>{0, 1}), names.Records());
    Put("gateway", std::string("A\0\0B", 4));
    walktest::WalkRecorder two;
    two.stopAt = 1;
    EXPECT_EQ(-1, two.ReadIndex("gateway", Dir().c_str()));
    EXPECT_EQ((Events{"A", "B"}), two.Names());
    EXPECT_EQ((std::vector<int>{0, 1}), two.Records());
}

}  // namespace
