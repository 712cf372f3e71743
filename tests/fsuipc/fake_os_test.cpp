// The in-process fake itself, where every native test leans on it: the
// published aircraft mappings, their lifetime, posts reaching the model, and
// the leak accounting.
#include <gtest/gtest.h>

#include "aircraft/link.h"
#include "tests/support/fake_os.h"

namespace corvane::testing {
namespace {

TEST(FakeOs, PublishedMappingsComeAndGoByName) {
    FakeOs os;
    sim::AircraftModel& model = os.publish_aircraft();
    const Handle sdk1 = os.open_mapping(aircraft::kSdk1MappingName);
    ASSERT_NE(sdk1, kNoHandle);
    EXPECT_EQ(os.map_view(sdk1, false, aircraft::kSdk1ViewSize + 1), nullptr);  // past the end
    EXPECT_EQ(os.map_view(sdk1, true, 0), nullptr);  // opened for reading only
    const unsigned char* view = os.map_view(sdk1, false, aircraft::kSdk1ViewSize);
    ASSERT_NE(view, nullptr);
    model.set_data_valid(1);
    EXPECT_EQ(view[aircraft::kDataValidOffset], 1);

    // Gone by name, but a view already mapped keeps its memory.
    os.remove_mapping(aircraft::kSdk1MappingName);
    EXPECT_EQ(os.open_mapping(aircraft::kSdk1MappingName), kNoHandle);
    EXPECT_EQ(os.last_error(), 2u);
    model.set_data_valid(7);
    EXPECT_EQ(view[aircraft::kDataValidOffset], 7);
    os.unmap_view(view);
    os.close_handle(sdk1);

    // Back again: the same model over the same memory.
    EXPECT_EQ(&os.publish_aircraft(), &model);
    EXPECT_EQ(os.mapping_memory(aircraft::kSdk1MappingName)[aircraft::kDataValidOffset], 7);
    EXPECT_NE(os.mapping_memory(aircraft::kSdk2MappingName), nullptr);
    EXPECT_EQ(os.open_handles() + os.mapped_views() + os.bad_releases, 0u);
}

TEST(FakeOs, CommandPostsReachTheModelOnlyThroughTheSimulatorWindow) {
    FakeOs os;
    os.has_fs98main = true;
    sim::AircraftModel& model = os.publish_aircraft();
    const std::uint32_t command = os.register_message(aircraft::kCommandMessageName);
    EXPECT_EQ(command, os.message_id(aircraft::kCommandMessageName));
    EXPECT_GE(command, 0xC000u);
    os.post(FakeOs::kFs98mainWindow, command, 1232, 12000);
    os.post(FakeOs::kUipcmainWindow, command, 1233, 1);
    os.post(FakeOs::kFs98mainWindow, command + 1, 1234, 2);
    os.has_fs98main = false;
    os.post(FakeOs::kFs98mainWindow, command, 1235, 3);
    EXPECT_EQ(os.posts.size(), 4u);
    EXPECT_EQ(model.commands(), (std::vector<sim::PostedCommand>{{1232, 12000}}));
}

TEST(FakeOs, AreasLiveWhileHeldAndAtomsCountReferences) {
    FakeOs os;
    const Handle area = os.create_mapping("FsasmLib:IPC:1:1", 0x8000);
    EXPECT_EQ(os.last_error(), 0u);
    unsigned char* view = os.map_view(area, true, 0);
    ASSERT_NE(view, nullptr);
    const Handle again = os.create_mapping("FsasmLib:IPC:1:1", 0x8000);
    EXPECT_EQ(os.last_error(), kErrorAlreadyExists);
    os.close_handle(again);
    os.close_handle(area);
    EXPECT_NE(os.mapping_memory("FsasmLib:IPC:1:1"), nullptr);  // the view holds it
    os.unmap_view(view);
    EXPECT_EQ(os.mapping_memory("FsasmLib:IPC:1:1"), nullptr);
    os.close_handle(area);
    EXPECT_EQ(os.bad_releases, 1u);

    const std::uint16_t atom = os.add_atom("name");
    EXPECT_EQ(os.add_atom("name"), atom);
    EXPECT_EQ(os.atoms_held(), 2u);
    os.delete_atom(atom);
    os.delete_atom(atom);
    os.delete_atom(atom);
    EXPECT_EQ(os.atoms_held(), 0u);
    EXPECT_EQ(os.bad_releases, 2u);
}

}  // namespace
}  // namespace corvane::testing
