#include "content/text_viewer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "content/viewer_recorder.h"
#include "core/cp1251_literal.h"

namespace agat {
namespace {

using testing::readable;

// What the buffer holds so far.
std::string contents() {
  return std::string(BUF.data(), CURSOR);
}

class TextViewerBuffer : public ::testing::Test {
 protected:
  void SetUp() override { VV_INIT(); }
  void TearDown() override { VV_INIT(); }
};

TEST_F(TextViewerBuffer, ColourPairsOpenTheTextAndFollowEveryLineEnd) {
  VV_ADD_COLOR(14);
  VV_ADD_STRING_EOL("AB");
  EXPECT_EQ(contents(), std::string("\0\x0E"
                                    "AB\n\0\x0E",
                                    7));

  // The same colour again adds nothing; a new one adds its pair, and the line ends
  // repeat whatever is current.
  VV_ADD_COLOR(14);
  VV_ADD_COLOR(2);
  VV_ADD_STRING("x");
  VV_ADD_EOL();
  VV_ADD_EOL();
  EXPECT_EQ(readable(contents()), "{0E}AB\n{0E}{02}x\n{02}\n{02}");
  EXPECT_EQ(PREVCOLOR, 2);
}

TEST_F(TextViewerBuffer, EveryReportStartsWithItsOwnColour) {
  VV_ADD_COLOR(14);
  VV_ADD_STRING("old report");
  VV_INIT();
  EXPECT_EQ(CURSOR, 0u);
  EXPECT_EQ(PREVCOLOR, 0);
  VV_ADD_COLOR(14);
  VV_ADD_STRING("new");
  EXPECT_EQ(readable(contents()), "{0E}new");
}

TEST_F(TextViewerBuffer, StringsKeepEveryByteButZero) {
  VV_ADD_STRING(std::string_view("a\0b", 3));
  VV_ADD_STRING("");
  VV_ADD_STRING("Привет"_w);
  VV_ADD_CHAR('\r');
  EXPECT_EQ(contents(), "a?b" + std::string("Привет"_w) + "\r");
  EXPECT_EQ(readable(contents()), "a?bПривет\r");

  // Longer than a short string: nothing is cut.
  VV_INIT();
  const std::string long_text(1000, 'z');
  VV_ADD_STRING(long_text);
  EXPECT_EQ(contents(), long_text);
}

TEST_F(TextViewerBuffer, DecimalNumbersAreRightAlignedAndNeverCut) {
  const auto decimal = [](std::int32_t value, std::int32_t width) {
    VV_INIT();
    VV_ADD_LONGINT(value, width);
    return contents();
  };
  EXPECT_EQ(decimal(7, 3), "  7");
  EXPECT_EQ(decimal(-12, 0), "-12");
  EXPECT_EQ(decimal(-12, 5), "  -12");
  EXPECT_EQ(decimal(12345, 3), "12345");
  EXPECT_EQ(decimal(0, 1), "0");
  EXPECT_EQ(decimal(5, -4), "5");
  EXPECT_EQ(decimal(INT32_MIN, 12), " -2147483648");
  EXPECT_EQ(decimal(INT32_MAX, 0), "2147483647");
}

TEST_F(TextViewerBuffer, HexNumbersHaveExactlyTheDigitsAsked) {
  const auto hex = [](std::int32_t value, std::uint8_t digits) {
    VV_INIT();
    VV_ADD_HEX(value, digits);
    return contents();
  };
  EXPECT_EQ(hex(255, 4), "00FF");
  EXPECT_EQ(hex(4660, 2), "34");
  EXPECT_EQ(hex(0xABCDEF, 6), "ABCDEF");
  EXPECT_EQ(hex(123, 0), "");
  EXPECT_EQ(hex(-1, 8), "FFFFFFFF");
  EXPECT_EQ(hex(INT32_MIN, 8), "80000000");
  // Digits beyond the 32 bits of the value are zeros.
  EXPECT_EQ(hex(-1, 10), "00FFFFFFFF");
  EXPECT_EQ(hex(255, 255), std::string(253, '0') + "FF");
}

TEST_F(TextViewerBuffer, AnOverflowingReportEndsWithTheNote) {
  ASSERT_EQ(NO_SPACE.size(), 28u);
  EXPECT_EQ(readable(NO_SPACE), "\n\n{0C}>> No space in buffer <<");

  // One byte short of the note's threshold: nothing happens yet.
  for (std::uint32_t i = 0; i < VV_BUFSIZE - 29; ++i) VV_ADD_CHAR('x');
  EXPECT_EQ(CURSOR, VV_BUFSIZE - 29);
  // The next byte leaves exactly 28 free: the note fills them.
  VV_ADD_CHAR('y');
  EXPECT_EQ(CURSOR, VV_BUFSIZE);
  EXPECT_EQ(BUF[VV_BUFSIZE - 29], 'y');
  EXPECT_EQ(std::string_view(BUF.data() + VV_BUFSIZE - 28, 28), NO_SPACE);

  // Everything later is dropped, colour changes and line ends included.
  VV_ADD_STRING("lost");
  VV_ADD_COLOR(5);
  VV_ADD_EOL();
  VV_ADD_HEX(1, 4);
  EXPECT_EQ(CURSOR, VV_BUFSIZE);
  EXPECT_EQ(std::string_view(BUF.data() + VV_BUFSIZE - 28, 28), NO_SPACE);

  // A new report has the whole buffer again.
  VV_INIT();
  VV_ADD_STRING("fresh");
  EXPECT_EQ(contents(), "fresh");
}

TEST_F(TextViewerBuffer, AppendingFarTooMuchStopsAtTheEnd) {
  const std::string chunk(100000, 'c');
  for (int i = 0; i < 21; ++i) VV_ADD_STRING(chunk);  // 2,100,000 characters
  EXPECT_EQ(CURSOR, VV_BUFSIZE);
  EXPECT_EQ(std::string_view(BUF.data() + VV_BUFSIZE - 28, 28), NO_SPACE);
  EXPECT_EQ(BUF[VV_BUFSIZE - 29], 'c');
}

TEST_F(TextViewerBuffer, ViewingHandsTheBufferToTheInstalledViewer) {
  VV_ADD_STRING("nobody looks");
  VV_VIEW();  // no viewer installed: nothing happens

  testing::ViewRecorder viewer;
  VV_ADD_COLOR(3);
  VV_ADD_STRING("text");
  VV_VIEW();
  VV_VIEW();  // the same buffer may be shown again
  ASSERT_EQ(viewer.shown.size(), 2u);
  EXPECT_EQ(readable(viewer.shown[0]), "nobody looks{03}text");
  EXPECT_EQ(viewer.shown[1], viewer.shown[0]);
}

}  // namespace
}  // namespace agat
