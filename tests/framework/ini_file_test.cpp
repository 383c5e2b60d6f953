// The configuration file: whatever it holds, windows open where a user can reach them,
// and a write that cannot be made leaves nothing behind.
#include "framework/ini_file.h"

#include <sys/stat.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <chrono>
#include <climits>
#include <random>

#include "framework/window_placement.h"
#include "framework_fixture.h"

namespace framework::test {
namespace {

using store::test::readFile;
using store::test::TempDir;

void write(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

TEST(IniFileTest, GarbageReadsAsNothingAndTheNextWriteKeepsWhatWasReadable) {
    TempDir dir;
    const std::string path = dir.file("tembrixm.INI");
    // Binary noise, a section never closed, empty keys and values out of range.
    std::mt19937 noise(18);
    std::string content;
    for (int i = 0; i < 4096; ++i) content += char(noise());
    content += "\n[Main\nXPos=1\n=\n[]\n[Main]\nWidth=99999999999\nHeight=-\nXPos= 12 \nYPos=0x10";
    write(path, content);
    IniFile ini(path);
    EXPECT_EQ(std::nullopt, ini.getInt("Main", "Width"));
    EXPECT_EQ(std::nullopt, ini.getInt("Main", "Height"));
    EXPECT_EQ(std::nullopt, ini.getInt("Main", "YPos"));
    EXPECT_EQ(12, ini.getInt("Main", "XPos"));
    EXPECT_TRUE(ini.put("Main", "Width", 640));
    EXPECT_EQ(640, ini.getInt("Main", "Width"));
    EXPECT_EQ(12, ini.getInt("Main", "XPos"));

    // A file of 8 MB without a line break is no configuration: it reads as empty, quickly,
    // and the next write replaces it.
    write(path, std::string(8 << 20, 'x') + "\n[Main]\nXPos=7\n");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(std::nullopt, ini.get("Main", "XPos"));
    EXPECT_TRUE(ini.put("Main", "XPos", 5));
    EXPECT_EQ(5, ini.getInt("Main", "XPos"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(std::string("[Main]\nXPos=5\n").size(), std::filesystem::file_size(path));
}

TEST(IniFileTest, AFileThatCannotBeReplacedIsLeftAloneWithNoCopyBesideIt) {
    TempDir dir;
    // A folder where the file should be: it can be neither read nor replaced.
    const std::filesystem::path path = dir.path / "tembrixm.INI";
    std::filesystem::create_directory(path);
    write((path / "mine.txt").string(), "keep me");
    IniFile ini(path.string());
    EXPECT_EQ(std::nullopt, ini.get("Main", "XPos"));
    EXPECT_FALSE(ini.put("Main", "XPos", 5));
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));
    EXPECT_EQ("keep me", readFile((path / "mine.txt").string()));

    // A pipe under the name is not read: nobody writes to it, and reading would wait for
    // ever.
    const std::string pipe = dir.file("pipe.INI");
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    IniFile piped(pipe);
    EXPECT_EQ(std::nullopt, piped.get("Main", "XPos"));
}

TEST(WindowPlacementTest, APlacementIsFittedIntoTheScreenThatShowsMostOfIt) {
    const std::vector<QRect> one{QRect(0, 0, 1920, 1040)};
    const QRect own(100, 100, 900, 600);
    // A huge size takes the whole available area, and no more.
    EXPECT_EQ(QRect(0, 0, 1920, 1040), fitOnScreens(own, 0, 0, INT_MAX, INT_MAX, one));
    EXPECT_EQ(QRect(0, 0, 1920, 1040), fitOnScreens(own, 500, 300, INT_MAX, INT_MAX, one));
    // Partly off the screen: moved in so that all of it shows.
    EXPECT_EQ(QRect(1020, 440, 900, 600), fitOnScreens(own, 1500, 900, 900, 600, one));
    EXPECT_EQ(QRect(0, 0, 900, 600), fitOnScreens(own, -200, -100, 900, 600, one));
    // Off every screen, even at the ends of the number range: the window keeps its own.
    EXPECT_EQ(std::nullopt, fitOnScreens(own, -32000, -32000, 900, 600, one));
    EXPECT_EQ(std::nullopt, fitOnScreens(own, INT_MAX, INT_MAX, INT_MAX, INT_MAX, one));
    EXPECT_EQ(std::nullopt, fitOnScreens(own, INT_MIN, INT_MIN, INT_MAX, INT_MAX, one));
    EXPECT_EQ(std::nullopt, fitOnScreens(own, 0, 0, 900, 600, {}));
    // Missing values and sizes not above 0 keep the window's own.
    EXPECT_EQ(own, fitOnScreens(own, std::nullopt, std::nullopt, 0, -5, one));
    EXPECT_EQ(QRect(30, 100, 900, 600), fitOnScreens(own, 30, std::nullopt, {}, {}, one));

    // Two screens side by side: the one that shows most of the window takes it.
    const std::vector<QRect> two{QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1000)};
    EXPECT_EQ(QRect(1920, 0, 1200, 800), fitOnScreens(own, 1800, 0, 1200, 800, two));
    EXPECT_EQ(QRect(2500, 100, 600, 400), fitOnScreens(own, 2500, 100, 600, 400, two));
    EXPECT_EQ(QRect(1920, 0, 1280, 800), fitOnScreens(own, 1000, 0, 1900, 800, two));
    EXPECT_EQ(QRect(20, 0, 1900, 800), fitOnScreens(own, 20, 0, 1900, 800, two));
}

TEST(WindowPlacementTest, AStoredPlacementNoScreenCanShowIsNotTaken) {
    frameworkApp();
    TempDir dir;
    const std::string path = dir.file("tembrixm.INI");
    write(path,
          "[Main]\nMaximize=No\nXPos=0\nYPos=0\nWidth=2147483647\nHeight=2147483647\n"
          "[Lost]\nMaximize=No\nXPos=-40000\nYPos=-40000\nWidth=640\nHeight=480\n");
    const std::string before = readFile(path);
    IniFile ini(path);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();

    QWidget huge;
    huge.setGeometry(10, 20, 300, 200);
    restoreWindow(huge, ini, "Main");
    EXPECT_EQ(area, huge.geometry());

    QWidget lost;
    lost.setGeometry(10, 20, 300, 200);
    restoreWindow(lost, ini, "Lost");
    EXPECT_EQ(QRect(10, 20, 300, 200), lost.geometry());
    // Restoring only reads.
    EXPECT_EQ(before, readFile(path));
}

}  // namespace
}  // namespace framework::test
