#include "render/ProjectExportRenderer.h"

#include <sys/stat.h>

#include "RenderTestSupport.h"
#include "support/PythonScript.h"

namespace {

class ArchiveExport : public zt::test::RenderProject {
protected:
    std::shared_ptr<zt::MovieExportType> archiveType() { return renderer->getSupportedExportTypes().front(); }

    std::shared_ptr<zt::ProjectExportRenderer> renderer = std::make_shared<zt::ProjectExportRenderer>(project);
};

TEST_F(ArchiveExport, TheArchiveUnpacksToTheProjectsFiles)
{
    addFlatPicture("A", {200, 10, 10, 255});
    addFlatPicture("B", {10, 200, 10, 255});
    ASSERT_TRUE(project->updateRegularFileWithContents(plat::Data(3000, 7), "record-1.caf"));
    setMetadata("RecordName", "Zoo day");
    // A folder inside the project has no place in the flat archive.
    ASSERT_TRUE(plat::createDirectory(projectFile("leftovers"), plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(exportAndWait(*renderer, archiveType()));
    EXPECT_EQ(completions, 1);
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted) << renderer->error()->description();
    EXPECT_FLOAT_EQ(renderer->progress(), 1.0f);
    std::string archive = renderer->exportURL()->path();
    EXPECT_EQ(plat::lastPathComponent(archive), "Zoo_day.zantropemobile");

    plat::test::TemporaryFolder unpacked;
    auto run = plat::test::runCommand(unpacked.path(), {"unzip", "-q", archive});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    auto unpackedNames = plat::contentsOfDirectory(unpacked.path());
    ASSERT_TRUE(unpackedNames.ok());
    const auto& names = unpackedNames.value();
    std::vector<std::string> expected;
    auto projectNames = plat::contentsOfDirectory(*project->getProjectPath());
    ASSERT_TRUE(projectNames.ok());
    for (const std::string& name : projectNames.value()) {
        if (name != "leftovers")
            expected.push_back(name);
    }
    EXPECT_EQ(names, expected);
    for (const char* name :
        {"plovix.meta", "frames.meta", "frame-A.jpg", "preview-B.jpg", "thumb-A.jpg", "record-1.caf"}) {
        EXPECT_EQ(plat::readFile(unpacked.path(name)).value(), plat::readFile(projectFile(name)).value()) << name;
    }
}

TEST_F(ArchiveExport, AnEntryThatCannotBeAddedFailsTheArchive)
{
    addFlatPicture("A", {200, 10, 10, 255});
    ASSERT_EQ(::mkfifo(projectFile("stuck.pipe").c_str(), 0644), 0);
    ASSERT_TRUE(exportAndWait(*renderer, archiveType()));
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusFailed);
    EXPECT_EQ(renderer->error()->domain(), "ProjectExportZipRenderer");
    EXPECT_EQ(renderer->error()->code(), 45);
    EXPECT_EQ(renderer->error()->localizedDescription(), "Error archiving files.");
    EXPECT_FALSE(plat::fileExists(renderer->exportURL()->path()));
}

TEST_F(ArchiveExport, AnEmptyFolderGivesAnEmptyArchiveAndNoFolderAFailure)
{
    ASSERT_TRUE(exportAndWait(*renderer, archiveType()));
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusFailed);

    std::string empty = sandbox.path("Documents/.plovix-empty");
    ASSERT_TRUE(plat::createDirectory(empty, plat::IntermediateDirectories::No).ok());
    auto emptyProject = std::make_shared<zt::ProjectModel>(empty);
    auto emptyRenderer = std::make_shared<zt::ProjectExportRenderer>(emptyProject);
    ASSERT_TRUE(exportAndWait(*emptyRenderer, archiveType()));
    ASSERT_EQ(emptyRenderer->status(), zt::MovieRendererStatusCompleted);
    auto listed = plat::test::runPython(sandbox.root(),
        "import sys, zipfile\nprint(len(zipfile.ZipFile(sys.argv[1]).namelist()))\n",
        {emptyRenderer->exportURL()->path()});
    EXPECT_EQ(listed.output, "0\n");
}

TEST_F(ArchiveExport, TheEstimateCountsEveryEntry)
{
    for (const char* id : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"})
        project->getFrameList().addFrame(zt::Frame(zt::FrameTypePicture, id));
    EXPECT_EQ(renderer->getEstimatedFileSizeAfterExportforType(*archiveType()), 212u + 11u * 1250u);
    EXPECT_EQ(archiveType()->UTI(), "com.quorvane.plovix.archive");
    EXPECT_EQ(archiveType()->extension(), "zantropemobile");
    EXPECT_FALSE(renderer->getNeedsAudioMixing());
}

}  // namespace
