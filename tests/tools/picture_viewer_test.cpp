// The picture viewer: "jpeg.cfg", the places, and the window browsing a folder tree made for
// each test (rows and their order, the parent entry, Attach made when missing, a folder that
// cannot be read, choosing pictures, a bad picture, fitting to the window), opened through the
// main window's command.
#include "tools/picture_viewer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "core/command_line.h"
#include "core/main_form.h"
#include "support/fake_platform.h"
#include "support/jpeg_samples.h"
#include "support/limited_child.h"
#include "support/temp_dir.h"
#include "tools/picture_viewer_settings.h"

namespace velmora::tools {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

// --- jpeg.cfg ------------------------------------------------------------------------------------

TEST(PictureViewerSettings, RoundTripAndDamagedLinesTakeTheirDefaults) {
    testing::TempDir dir;
    const fs::path file = dir / "jpeg.cfg";
    EXPECT_EQ(loadPictureViewerSettings(file).folder, fs::path());  // missing: defaults

    PictureViewerSettings settings;
    settings.folder = "/home/ann/Pictures/Summer 2001";
    settings.picture = "Beach.JPG";
    settings.fitToWindow = false;
    settings.top = 12, settings.left = -30, settings.width = 900, settings.height = 700;
    ASSERT_FALSE(savePictureViewerSettings(file, settings));
    EXPECT_EQ(
        readFile(file),
        "46\r\n/home/ann/Pictures/Summer 2001\r\nBeach.JPG\r\nFALSE\r\n12\r\n-30\r\n900\r\n700");
    const PictureViewerSettings back = loadPictureViewerSettings(file);
    EXPECT_EQ(back.folder, settings.folder);
    EXPECT_EQ(back.picture, "Beach.JPG");
    EXPECT_FALSE(back.fitToWindow);
    EXPECT_EQ(back.left, -30);
    EXPECT_EQ(back.height, 700);

    // A picture "name" holding a path, a number that is none, sizes beyond reason, lines
    // missing: each takes its default, the others keep their values.
    writeFile(file, "46\r\n/pics\r\n../../etc/x.jpg\r\nyes\r\nten\r\n5\r\n3\r\n99999");
    const PictureViewerSettings damaged = loadPictureViewerSettings(file);
    const PictureViewerSettings defaults;
    EXPECT_EQ(damaged.folder, "/pics");
    EXPECT_EQ(damaged.picture, "");
    EXPECT_FALSE(damaged.fitToWindow);  // only "TRUE" is true
    EXPECT_EQ(damaged.top, defaults.top);
    EXPECT_EQ(damaged.left, 5);
    EXPECT_EQ(damaged.width, defaults.width);
    EXPECT_EQ(damaged.height, defaults.height);
    writeFile(file, "46\r\n/pics");
    EXPECT_TRUE(loadPictureViewerSettings(file).fitToWindow);
}

// --- places --------------------------------------------------------------------------------------

TEST(PicturePlaces, MountedVolumesUnderTheVolumeFoldersOnly) {
    const std::string table =
        "/dev/sda1 / ext4 rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "/dev/sdb1 /media/ann/HOLIDAY\\040PICS vfat rw 0 0\n"
        "/dev/sdc1 /run/media/ann/CARD vfat rw 0 0\n"
        "/dev/sdd1 /mnt ext4 rw 0 0\n"
        "/dev/sde1 /mnt/backup ext4 rw 0 0\n"
        "/dev/sdf1 /media ext4 rw 0 0\n"
        "/dev/sdg1 /mediastore ext4 rw 0 0\n"
        "garbage\n"
        "/dev/sdb1 /media/ann/HOLIDAY\\040PICS vfat rw 0 0\n";
    const std::vector<fs::path> expected = {"/media/ann/HOLIDAY PICS", "/mnt", "/mnt/backup",
                                            "/run/media/ann/CARD"};
    EXPECT_EQ(mountedVolumes(table), expected);

    testing::TempDir dir;
    writeFile(dir / "mounts", "/dev/sdc1 /run/media/ann/CARD vfat rw 0 0\n");
    const auto places = picturePlaces({dir.path(), "/", dir / "mounts"});
    ASSERT_EQ(places.size(), 3u);  // "/" as the home directory is offered once
    EXPECT_EQ(places[0].label, "Attach");
    EXPECT_EQ(places[0].path, dir / "Attach");
    EXPECT_EQ(places[1].label, "Home");
    EXPECT_EQ(places[2].label, "CARD");
    EXPECT_EQ(places[2].path, "/run/media/ann/CARD");
}

// --- the window ----------------------------------------------------------------------------------

class PictureViewerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(home / "ENGLISH.DCT", "word\r\n");
        form = std::make_unique<core::TmainForm>(
            fake.platform(), home.path(), core::parseCommandLine({}), core::ScreenSize{1024, 768});
        form->FormCreate();
        fake.clock.advance(platform::Milliseconds{100});
        fake.dialogs.clear();
        writeFile(tree / "mounts", "");
        fs::create_directories(tree / "user");
    }
    void TearDown() override {
        form->FormCloseQuery();
        form->FormClose();
        form.reset();
    }

    TpictureViewerForm& open() {
        PlaceSources sources{home.path(), tree / "user", tree / "mounts"};
        auto window = std::make_unique<TpictureViewerForm>(fake.platform(), *form, sources);
        auto& added = form->addChildWindow(std::move(window));
        return dynamic_cast<TpictureViewerForm&>(added);
    }
    void picture(const fs::path& file, testing::JpegSample sample = {}) {
        fs::create_directories(file.parent_path());
        writeFile(file, testing::makeJpeg(sample));
    }
    static std::vector<std::string> folderLabels(const TpictureViewerForm& viewer) {
        std::vector<std::string> labels;
        for (const FolderRow& row : viewer.folderRows()) labels.push_back(row.label);
        return labels;
    }
    static std::vector<std::string> pictureNames(const TpictureViewerForm& viewer) {
        std::vector<std::string> names;
        for (const PictureFile& file : viewer.pictureRows()) names.push_back(file.name);
        return names;
    }
    std::size_t viewersOpen() const {
        std::size_t count = 0;
        for (platform::ChildWindow* child : form->childWindows())
            count += child->key() == kPictureViewerKey;
        return count;
    }

    testing::FakePlatform fake;
    testing::TempDir home;
    testing::TempDir tree;
    std::unique_ptr<core::TmainForm> form;
};

TEST_F(PictureViewerTest, StartsInAttachWhichItCreatesWhenMissing) {
    fs::remove_all(home / "Attach");
    form->refreshTree();
    TpictureViewerForm& viewer = open();
    EXPECT_TRUE(fs::is_directory(home / "Attach"));
    const auto& nodes = form->tree().root().children;
    EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [](const auto& node) {
        return node->label == "Attach";
    })) << "the folder tree shows the new folder at once";
    EXPECT_EQ(viewer.folder(), home / "Attach");
    EXPECT_EQ(viewer.errorLine(), "");
    EXPECT_EQ(viewer.placeIndex(), 0);
    EXPECT_EQ(viewer.places()[1].path, tree / "user");
    EXPECT_EQ(viewer.places()[2].path, "/");
    EXPECT_EQ(viewer.caption(), "JPEG Viewer - " + (home / "Attach").string());
    EXPECT_EQ(viewer.selectedPicture(), -1);
    EXPECT_EQ(viewer.picture(), nullptr);
    EXPECT_EQ(viewer.helpContext(), platform::help_topic::kPictureViewer);
}

TEST_F(PictureViewerTest, AnAttachThatCannotBeMadeIsSaidAndTheHomeFolderShown) {
    fs::remove_all(home / "Attach");
    writeFile(home / "Attach", "a file in the way");
    TpictureViewerForm& viewer = open();
    EXPECT_EQ(viewer.errorLine(),
              "Cannot create the folder " + (home / "Attach").string() + ": Not a directory");
    EXPECT_EQ(viewer.folder(), home.path());
    EXPECT_EQ(readFile(home / "Attach"), "a file in the way");
}

TEST_F(PictureViewerTest, ListsSubfoldersAndJpegFilesSortedIgnoringCaseAfterTheParent) {
    const fs::path pics = tree / "pics";
    for (const char* name : {"b.JPG", "a.jpeg", "C.jpe", "d.JFIF", ".hidden.jpg"})
        picture(pics / name);
    for (const char* name : {"notes.txt", "jpg", "photo.jpg.bak", "e.png"})
        writeFile(pics / name, "x");
    for (const char* name : {"Zeta", "alpha", ".git", "Beta.jpg"})
        fs::create_directory(pics / name);

    TpictureViewerForm& viewer = open();
    ASSERT_TRUE(viewer.openFolder(pics / "." / "alpha" / ".."));
    EXPECT_EQ(viewer.folder(), pics);
    EXPECT_EQ(folderLabels(viewer), (std::vector<std::string>{"..", "alpha", "Beta.jpg", "Zeta"}));
    EXPECT_TRUE(viewer.folderRows()[0].parent);
    EXPECT_EQ(pictureNames(viewer),
              (std::vector<std::string>{"a.jpeg", "b.JPG", "C.jpe", "d.JFIF"}));
    EXPECT_EQ(viewer.pictureRows()[0].size, fs::file_size(pics / "a.jpeg"));

    viewer.openFolderRow(3);  // Zeta
    EXPECT_EQ(viewer.folder(), pics / "Zeta");
    EXPECT_EQ(folderLabels(viewer), std::vector<std::string>{".."});
    viewer.openFolderRow(0);
    EXPECT_EQ(viewer.folder(), pics);
    // The root has no parent entry.
    ASSERT_TRUE(viewer.openFolder("/"));
    EXPECT_TRUE(viewer.folderRows().empty() || !viewer.folderRows()[0].parent);
    EXPECT_EQ(viewer.placeIndex(), 2);
    viewer.choosePlace(1);
    EXPECT_EQ(viewer.folder(), tree / "user");
}

TEST_F(PictureViewerTest, ChoosingPicturesShowsThemWithTheirStatusAndStopsAtTheEnds) {
    const fs::path pics = home / "Attach";
    picture(pics / "one.jpg", {.width = 40, .height = 30});
    picture(pics / "two.jpg", {.width = 20, .height = 10, .kind = testing::JpegKind::Greyscale});
    writeFile(pics / "three.jpg", "\x89PNG\r\n\x1a\n not a jpeg at all");
    TpictureViewerForm& viewer = open();
    ASSERT_EQ(pictureNames(viewer), (std::vector<std::string>{"one.jpg", "three.jpg", "two.jpg"}));
    // Nothing chosen yet: "Next" starts at the first picture.
    EXPECT_FALSE(viewer.previousEnabled());
    EXPECT_TRUE(viewer.nextEnabled());

    viewer.selectPicture(0);
    ASSERT_NE(viewer.picture(), nullptr);
    EXPECT_EQ(viewer.picture()->width, 40);
    EXPECT_EQ(viewer.statusLine(), "one.jpg  40 x 30 pixels  1 KB  (1 of 3)");
    EXPECT_EQ(viewer.caption(), "JPEG Viewer - " + (pics / "one.jpg").string());
    EXPECT_FALSE(viewer.previousEnabled());
    EXPECT_TRUE(viewer.nextEnabled());
    viewer.previousPictureClick();
    EXPECT_EQ(viewer.selectedPicture(), 0);

    // A PNG under a JPEG name: the error line says so, and the way on stays open.
    viewer.nextPictureClick();
    EXPECT_EQ(viewer.selectedPicture(), 1);
    EXPECT_EQ(viewer.picture(), nullptr);
    EXPECT_EQ(viewer.errorLine(), "Cannot show three.jpg: Not a JPEG file: starts with 0x89 0x50");
    EXPECT_EQ(viewer.statusLine(), "three.jpg  1 KB  (2 of 3)");
    viewer.nextPictureClick();
    ASSERT_NE(viewer.picture(), nullptr);
    EXPECT_EQ(viewer.picture()->height, 10);
    EXPECT_EQ(viewer.errorLine(), "");
    EXPECT_FALSE(viewer.nextEnabled());
    viewer.nextPictureClick();
    EXPECT_EQ(viewer.selectedPicture(), 2);

    // The pop-up offers the same, with the states of now.
    const platform::Menu popup = viewer.popupMenu();
    EXPECT_TRUE(platform::findMenuEntry(popup, "popJpeg_Previous")->enabled);
    EXPECT_FALSE(platform::findMenuEntry(popup, "popJpeg_Next")->enabled);
    EXPECT_TRUE(platform::findMenuEntry(popup, "popJpeg_FitToWindow")->checked);

    // A truncated picture is shown as far as it goes, and said to be damaged.
    const std::string whole = testing::makeJpeg({.width = 64, .height = 64});
    writeFile(pics / "two.jpg", whole.substr(0, whole.size() - 40));
    viewer.refreshClick();
    EXPECT_EQ(viewer.selectedPicture(), 2);
    ASSERT_NE(viewer.picture(), nullptr);
    EXPECT_EQ(viewer.picture()->width, 64);
    EXPECT_EQ(viewer.errorLine(), "two.jpg is damaged: Premature end of JPEG file");
}

TEST_F(PictureViewerTest, AFittedLargePictureIsDecodedSmallAndInFullAtActualSize) {
    picture(home / "Attach" / "big.jpg", {.width = 1600, .height = 1200});
    TpictureViewerForm& viewer = open();
    viewer.setPictureArea(200, 150);
    viewer.selectPicture(0);
    ASSERT_NE(viewer.picture(), nullptr);
    EXPECT_EQ(viewer.picture()->width, 200);
    EXPECT_EQ(viewer.statusLine().rfind("big.jpg  1600 x 1200 pixels  ", 0), 0u);
    viewer.setPictureArea(500, 400);  // a quarter no longer suffices: half
    EXPECT_EQ(viewer.picture()->width, 800);
    viewer.setFitToWindow(false);
    EXPECT_EQ(viewer.picture()->width, 1600);
    EXPECT_FALSE(viewer.toolbar()[2].checked);
}

TEST_F(PictureViewerTest, TheLastFolderAndPictureComeBackAndAFolderGoneGivesWayToAttach) {
    const fs::path pics = tree / "pics";
    picture(pics / "a.jpg");
    picture(pics / "b.jpg");
    {
        TpictureViewerForm& viewer = open();
        ASSERT_TRUE(viewer.openFolder(pics));
        viewer.selectPicture(1);
        viewer.setFitToWindow(false);
        ASSERT_TRUE(form->closeChildWindow(viewer));
    }
    EXPECT_EQ(
        readFile(home / "jpeg.cfg").rfind("46\r\n" + pics.string() + "\r\nb.jpg\r\nFALSE\r\n", 0),
        0u);
    {
        TpictureViewerForm& viewer = open();
        EXPECT_EQ(viewer.folder(), pics);
        EXPECT_EQ(viewer.selectedPicture(), 1);
        EXPECT_NE(viewer.picture(), nullptr);
        EXPECT_FALSE(viewer.fitToWindow());
        // Changing folder records the new one at once.
        ASSERT_TRUE(viewer.openFolder(tree / "user"));
        EXPECT_EQ(
            readFile(home / "jpeg.cfg").rfind("46\r\n" + (tree / "user").string() + "\r\n\r\n", 0),
            0u);
        ASSERT_TRUE(viewer.openFolder(pics));
        ASSERT_TRUE(form->closeChildWindow(viewer));
    }
    fs::remove_all(pics);
    TpictureViewerForm& viewer = open();
    EXPECT_EQ(viewer.folder(), home / "Attach");
    EXPECT_EQ(viewer.errorLine(), "");
}

// Root reads any folder, so the child drops to the unprivileged user "nobody" first.
TEST_F(PictureViewerTest, AFolderThatCannotBeReadIsSaidAndThePreviousOneKept) {
    const fs::path locked = tree / "locked";
    fs::create_directories(locked);
    picture(home / "Attach" / "a.jpg");
    const auto result = testing::runLimitedChild({.seconds = 30}, [&] {
        if (::geteuid() == 0) {
            for (const fs::path& p : {home.path(), tree.path()})
                for (const auto& entry : fs::recursive_directory_iterator(p))
                    if (::chown(entry.path().c_str(), 65534, 65534) != 0) return 100;
            if (::chown(home.path().c_str(), 65534, 65534) != 0 ||
                ::chown(tree.path().c_str(), 65534, 65534) != 0)
                return 100;
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 101;
        }
        if (::chmod(locked.c_str(), 0300) != 0) return 102;
        TpictureViewerForm& viewer = open();
        viewer.selectPicture(0);
        const bool opened = viewer.openFolder(locked);
        ::chmod(locked.c_str(), 0700);
        if (opened) return 103;
        if (viewer.errorLine() !=
            "Cannot open the folder " + locked.string() + ": Permission denied")
            return 104;
        if (viewer.folder() != home / "Attach" || viewer.pictureRows().size() != 1) return 105;
        if (viewer.selectedPicture() != 0 || !viewer.picture()) return 106;
        return 0;
    });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.status, 0);
}

TEST_F(PictureViewerTest, TheViewMenuOpensOneViewerAndBringsItForward) {
    const platform::Menu bar = form->menuBar();
    const platform::MenuEntry* entry = platform::findMenuEntry(bar, "mnuView_JpegViewer");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->caption, "&JPEG Viewer");
    ASSERT_TRUE(entry->enabled);
    entry->command();
    ASSERT_EQ(viewersOpen(), 1u);
    TpictureViewerForm* viewer = findPictureViewer(*form);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->folder(), home / "Attach");

    form->openFolderWindow("InBox", true);
    EXPECT_NE(form->childWindows().front(), viewer);
    viewer->setState(platform::WindowState::Minimized);
    ASSERT_TRUE(form->commands().run(kPictureViewerCommand));
    EXPECT_EQ(viewersOpen(), 1u);
    EXPECT_EQ(form->childWindows().front(), viewer);
    EXPECT_EQ(viewer->state(), platform::WindowState::Normal);

    viewer->closeClick();
    EXPECT_EQ(viewersOpen(), 0u);
    EXPECT_TRUE(fs::exists(home / "jpeg.cfg"));
}

}  // namespace
}  // namespace velmora::tools
