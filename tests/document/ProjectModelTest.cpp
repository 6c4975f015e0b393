#include "document/ProjectModel.h"

#include <gtest/gtest.h>

#include "support/TemporarySandbox.h"

namespace {

class ProjectTracks : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::Dictionary marker {{"Name", "Beats"}, {"Items", plat::Array {plat::Dictionary {{"Start", 2}}}}};
        plat::Dictionary tracks {{"ProjectTrackTypeMarker", plat::Array {marker}},
            {"ProjectTrackTypeAudio", plat::Array {plat::Dictionary {}, "junk"}},
            {"NotATrackType", plat::Array {plat::Dictionary {}}}, {"ProjectTrackTypeEffect", "junk"}};
        project.getMetaData()->set("Tracks", tracks);
    }

    plat::test::TemporarySandbox sandbox;
    zt::ProjectModel project {std::nullopt};
};

TEST_F(ProjectTracks, TracksAreReadFromTheMetadataByTypeName)
{
    auto markers = project.getTracksOfType(zt::ProjectTrackTypeMarker);
    ASSERT_TRUE(markers.has_value());
    ASSERT_EQ(markers->size(), 1u);
    EXPECT_EQ((*markers)[0]->name(), "Beats");
    EXPECT_EQ((*markers)[0]->getItems()[0]->type(), zt::ProjectTrackTypeMarker);
    EXPECT_TRUE(project.hasTrackOfType(zt::ProjectTrackTypeAudio));
    EXPECT_FALSE(project.hasTrackOfType(zt::ProjectTrackTypeEffect));
    EXPECT_FALSE(project.getTracksOfType(zt::ProjectTrackTypeForeground).has_value());
}

TEST_F(ProjectTracks, AllTracksComeOrderedByType)
{
    project.addTrack(std::make_shared<zt::ProjectTrackModel>(zt::ProjectTrackTypeDefault));
    auto all = project.getAllTracks();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0]->type(), zt::ProjectTrackTypeDefault);
    EXPECT_EQ(all[1]->type(), zt::ProjectTrackTypeMarker);
    EXPECT_EQ(all[2]->type(), zt::ProjectTrackTypeAudio);
}

TEST_F(ProjectTracks, AddingAtAnIndexInsertsOrAppends)
{
    auto first = std::make_shared<zt::ProjectTrackModel>(zt::ProjectTrackTypeMarker);
    auto last = std::make_shared<zt::ProjectTrackModel>(zt::ProjectTrackTypeMarker);
    project.addTrack(first, 0);
    project.addTrack(last, 99);
    auto markers = *project.getTracksOfType(zt::ProjectTrackTypeMarker);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers.front(), first);
    EXPECT_EQ(markers.back(), last);
    project.deleteTrack(first);
    EXPECT_EQ(project.getTracksOfType(zt::ProjectTrackTypeMarker)->size(), 2u);
}

TEST_F(ProjectTracks, EncodeBuildsTheTracksDictionaryFromMemory)
{
    project.addTrack(std::make_shared<zt::ProjectTrackModel>(zt::ProjectTrackTypeBackground));
    auto stored = project.encode();
    EXPECT_EQ(stored.keys(),
        (std::vector<std::string> {"ProjectTrackTypeAudio", "ProjectTrackTypeBackground", "ProjectTrackTypeMarker"}));
    EXPECT_EQ(stored.getArray("ProjectTrackTypeMarker")->at(0).asDictionary()->getString("Name"), "Beats");
    // In-memory changes do not reach the stored metadata.
    EXPECT_FALSE(project.getMetaData()->getDictionary("Tracks")->contains("ProjectTrackTypeBackground"));
}

}  // namespace

namespace {

TEST(ProjectSnapshot, ReadsTheProjectAsItWasAndNeverWrites)
{
    plat::test::TemporarySandbox sandbox;
    auto project = std::make_shared<zt::ProjectModel>(std::nullopt);
    auto& frames = project->getFrameList();
    frames.insertFrame(zt::Frame(zt::FrameTypePicture, "A"), 0);
    frames.insertFrame(zt::Frame(zt::FrameTypePicture, "B"), 1);
    project->getMetaData()->set("RecordName", "Before");
    project->getMetaData()->set("RecordMetaAudio", plat::Dictionary {{"TRACK_0", plat::Array {}}});
    EXPECT_TRUE(project->saveAllDataToDisk().ok());
    ASSERT_TRUE(project->getProjectPath());

    auto snapshot = project->makeReadOnlySnapshot();
    frames.removeFrameAtIndex(0);
    project->getMetaData()->set("RecordName", "After");
    project->getMetaData()->getDictionary("RecordMetaAudio")->set("TRACK_1", plat::Array {});

    EXPECT_TRUE(snapshot->isReadOnlySnapshot());
    EXPECT_EQ(snapshot->getProjectPath(), project->getProjectPath());
    EXPECT_EQ(snapshot->getFrameList().count(), 3);
    EXPECT_EQ(snapshot->getFrameList().getFrameIDAtIndex(0), "A");
    EXPECT_EQ(snapshot->getMetaData()->getString("RecordName"), "Before");
    EXPECT_FALSE(snapshot->getMetaData()->getDictionary("RecordMetaAudio")->contains("TRACK_1"));

    // Its saves and writes do nothing: the folder keeps the project's own files.
    snapshot->getMetaData()->set("RecordName", "Snapshot");
    EXPECT_FALSE(snapshot->saveAllDataToDisk().ok());
    EXPECT_FALSE(snapshot->updateRegularFileWithContents(plat::Data {1, 2, 3}, "x.bin"));
    EXPECT_FALSE(snapshot->fileDataForFileWithPreferredFilename("x.bin"));
    zt::ProjectModel reloaded(project->getProjectPath());
    EXPECT_EQ(reloaded.getMetaData()->getString("RecordName"), "Before");
    EXPECT_EQ(reloaded.getFrameList().count(), 3);
}

}  // namespace
