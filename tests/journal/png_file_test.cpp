// Screenshots: the canvas saved as a PNG reads back with the same colours,
// 5-6-5 pixels widened so that full channels stay full; a picture that
// cannot be written leaves no file behind.

#include "platform/journal/png_file.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "journal/journal_bytes.h"

namespace vorn::journal {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadRgb(const std::string& path, png_uint_32& width,
                                  png_uint_32& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  width = image.width;
  height = image.height;
  return rgb;
}

TEST(PngFileTest, SavesBothDepthsWithTheirColours) {
  const std::string path =
      (fs::temp_directory_path() / ("vorn-png-test-" + std::to_string(getpid()) + ".png")).string();
  // 16-bit: white, full red, full green, full blue, a mid grey, black.
  const std::uint16_t pixels16[] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410, 0x0000};
  const std::uint32_t pixels32[] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0x000000};
  const std::uint8_t want[] = {255, 255, 255, 255, 0,   0,   0, 255, 0,
                               0,   0,   255, 132, 130, 132, 0, 0,   0};
  const std::uint8_t want32[] = {255, 255, 255, 255, 0,   0,   0, 255, 0,
                                 0,   0,   255, 128, 128, 128, 0, 0,   0};
  for (const int bits : {16, 32}) {
    Frame frame;
    frame.Width = 3;
    frame.Height = 2;
    frame.BitsPerPixel = bits;
    frame.Pixels = bits == 16 ? static_cast<const void*>(pixels16) : pixels32;
    std::string error;
    ASSERT_TRUE(WritePng(path, frame, error)) << error;
    png_uint_32 width = 0, height = 0;
    const std::vector<std::uint8_t> rgb = ReadRgb(path, width, height);
    ASSERT_EQ(rgb.size(), 18u);
    EXPECT_EQ(width, 3u);
    EXPECT_EQ(height, 2u);
    const std::uint8_t* expected = bits == 16 ? want : want32;
    for (std::size_t i = 0; i < 18; ++i)
      EXPECT_EQ(rgb[i], expected[i]) << bits << " bits, byte " << i;
    EXPECT_FALSE(fs::exists(path + ".part"));
  }
  fs::remove(path);

  Frame frame;
  frame.Width = 3;
  frame.Height = 2;
  frame.Pixels = pixels16;
  std::string error;
  EXPECT_FALSE(WritePng("/nonexistent-folder/x.png", frame, error));
  EXPECT_NE(error.find("cannot create /nonexistent-folder/x.png.part"), std::string::npos) << error;
}

// A picture may go where nothing stands or replace a picture (a PNG); never
// over the journal being replayed, however it is named, nor over any other
// file that happens to have the name.
TEST(PngTargetTest, TakesANewNameOrAPictureAndRefusesAnythingElse) {
  ScratchFolder folder;
  const std::string journal = folder.Write("s.vornj", ToBytes("a journal"));
  const std::uint16_t pixel = 0xFFFF;
  Frame frame;
  frame.Width = frame.Height = 1;
  frame.Pixels = &pixel;
  std::string error;
  ASSERT_TRUE(WritePng(folder.Path("old.png"), frame, error)) << error;
  folder.Write("notes.png", ToBytes("a user's notes"));
  folder.Write("short.png", FromHex("89504e47"));
  folder.Write("empty.png", {});
  fs::create_symlink(folder.Path("old.png"), folder.Path("to-picture.png"));
  fs::create_symlink(journal, folder.Path("link.png"));
  struct Case {
    std::string name;
    const char* says;  // empty: taken
  };
  const Case cases[] = {
      {"new.png", ""},
      {"old.png", ""},
      {"notes.png", "no PNG picture stands there"},
      {"short.png", "no PNG picture stands there"},
      {"empty.png", "no PNG picture stands there"},
      {"to-picture.png", "it is not a plain file"},
      {"s.vornj", "it is the journal being replayed"},
      {"link.png", "it is the journal being replayed"},
      {"./s.vornj", "it is the journal being replayed"},
      {"", "it is a folder"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(CheckPngTarget(folder.Path(c.name), journal, error), *c.says == '\0') << c.name;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
  }
}

// A file that comes to stand under the name while the replay runs is left
// as it is; the whole picture stays in PATH.part, and the message says so.
TEST(PngTargetTest, AFileThatCameMeanwhileIsKept) {
  ScratchFolder folder;
  const std::string path = folder.Path("end.png");
  std::string error;
  ASSERT_TRUE(CheckPngTarget(path, folder.Path("s.vornj"), error)) << error;
  folder.Write("end.png", ToBytes("a user's notes"));
  const std::uint16_t pixel = 0xFFFF;
  Frame frame;
  frame.Width = frame.Height = 1;
  frame.Pixels = &pixel;
  EXPECT_FALSE(WritePng(path, frame, error));
  EXPECT_NE(error.find("the picture is kept in " + path + ".part"), std::string::npos) << error;
  EXPECT_EQ(folder.Listing().at("end.png"), "file a user's notes");
  png_uint_32 width = 0, height = 0;
  EXPECT_EQ(ReadRgb(path + ".part", width, height).size(), 3u);
}

}  // namespace
}  // namespace vorn::journal
