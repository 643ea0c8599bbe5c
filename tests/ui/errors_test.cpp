#include "ui/errors.h"

#include <gtest/gtest.h>

#include "content/colours.h"
#include "content/text_viewer.h"
#include "content/viewer_recorder.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "ui/console_fixture.h"
#include "ui/crt_keys.h"
#include "ui/crt_viewer.h"

namespace agat {
namespace {

using testing::cells;
using testing::cp;
using testing::first_other_attribute;
using testing::readable;
using testing::ViewRecorder;

// N messages of the given width, each ended by CR LF as the media core writes them.
std::string messages(int n, int width = 10, char letter = 'e') {
  std::string out;
  for (int i = 0; i < n; ++i) out += std::string(static_cast<std::size_t>(width), letter) + "\r\n";
  return out;
}

class ErrorReport : public testing::ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    FC_CRITICALERRORBUFFER.clear();
    FC_WARNINGBUFFER.clear();
    VV_INIT();
  }
  void TearDown() override {
    FC_CRITICALERRORBUFFER.clear();
    FC_WARNINGBUFFER.clear();
    VV_INIT();
    set_text_view_hook(nullptr);
    ConsoleTest::TearDown();
  }

  // Runs the report on the two buffers and tells whether it went to the viewer; a box
  // instead must have waited for one key.
  bool goes_to_viewer(const std::string& critical, const std::string& warnings) {
    ViewRecorder viewer;
    FC_CRITICALERRORBUFFER = critical;
    FC_WARNINGBUFFER = warnings;
    const int keys_before = mc().keys_read();
    mc().key('k');
    ERROR_OCCURED();
    const bool viewed = viewer.shown.size() == 1;
    EXPECT_EQ(mc().keys_read() - keys_before, viewed ? 0 : 1);
    // The recorder standing in for the viewer takes no key: the scripted one is dropped.
    while (!mc().script_done()) mc().read_key();
    return viewed;
  }
};

TEST_F(ErrorReport, EmptyBuffersShowNothing) {
  ViewRecorder viewer;
  VV_ADD_STRING("an old report");
  EXPECT_FALSE(ERROR_OCCURED());
  EXPECT_EQ(CURSOR, 0u);
  EXPECT_TRUE(viewer.shown.empty());
  EXPECT_EQ(mc().screen_text(), std::string(24, '\n'));

  // Line ends alone are no message either, critical or not.
  FC_CRITICALERRORBUFFER = "\r\n\r\n";
  FC_WARNINGBUFFER = "\r\n";
  EXPECT_FALSE(ERROR_OCCURED());
  EXPECT_TRUE(viewer.shown.empty());
  EXPECT_EQ(mc().keys_read(), 0);
  EXPECT_TRUE(FC_CRITICALERRORBUFFER.empty());
  EXPECT_TRUE(FC_WARNINGBUFFER.empty());
}

TEST_F(ErrorReport, AWarningAloneIsABoxInTheWarningColours) {
  const std::string warning(30, 'w');
  FC_WARNINGBUFFER = warning + "\r\n";
  mc().then([&](MemoryConsole& s) {
    // Body 30 x 1: SW_MAKECWIN(33, 2) at (23, 11), the title of 16 at 23 + 18 / 2.
    EXPECT_EQ(cells(s, 23, 11, 34), "┌──────── Предупреждения ────────┐");
    EXPECT_EQ(cells(s, 23, 12, 34), "│ " + warning + " │");
    EXPECT_EQ(s.attribute_at(23, 11), COL[WARN_RAMKA]);
    EXPECT_EQ(first_other_attribute(s, 32, 47, 11, COL[WARN_HEADER]), 0);
    EXPECT_EQ(first_other_attribute(s, 25, 54, 12, COL[WARN_BODY]), 0);
    EXPECT_EQ(s.row_trimmed(14), "");
  });
  mc().key(KEYCODE_ESCAPE);
  EXPECT_FALSE(ERROR_OCCURED());
  EXPECT_TRUE(mc().script_done());
  EXPECT_TRUE(FC_WARNINGBUFFER.empty());
}

TEST_F(ErrorReport, ErrorsAndWarningsShareOneBoxInTheCriticalColours) {
  FC_CRITICALERRORBUFFER = cp("Диск не читается\r\n");
  FC_WARNINGBUFFER = cp("Файл пропущен\r\n");
  mc().then([](MemoryConsole& s) {
    const int top = s.find_row(" Критические ошибки и Предупреждения ");
    ASSERT_NE(top, 0);
    // The title is wider than the body and overhangs the frame on both sides.
    // Body 16 x 3: SW_MAKECWIN(19, 4) at (30, 10).
    EXPECT_EQ(top, 10);
    const std::string left(29, ' ');
    EXPECT_EQ(s.row_trimmed(top + 1), left + "│ Диск не читается │");
    EXPECT_EQ(s.row_trimmed(top + 2), left + "│ >> Менее важное: │");
    EXPECT_EQ(s.row_trimmed(top + 3), left + "│ Файл пропущен    │");
    EXPECT_EQ(cells(s, 30, top + 4, 2), "└─");
    EXPECT_EQ(cells(s, 48, top + 4, 2), "─┘");
    EXPECT_EQ(s.attribute_at(31, top + 1), COL[ATT_RAMKA]);
    EXPECT_EQ(first_other_attribute(s, 32, 44, top + 3, COL[ATT_BODY]), 0);
  });
  mc().key('x');
  EXPECT_TRUE(ERROR_OCCURED());
  EXPECT_TRUE(mc().script_done());
  EXPECT_TRUE(FC_CRITICALERRORBUFFER.empty());
  EXPECT_TRUE(FC_WARNINGBUFFER.empty());
}

TEST_F(ErrorReport, MessagesKeepTheirInnerBlankLines) {
  FC_CRITICALERRORBUFFER = "A\r\n\r\nB\r\n\r\n\r\n";
  mc().then([](MemoryConsole& s) {
    const int top = s.find_row(" Критические ошибки ");
    ASSERT_NE(top, 0);
    EXPECT_EQ(cells(s, 38, top + 1, 5), "│ A │");
    EXPECT_EQ(cells(s, 38, top + 2, 5), "│   │");
    EXPECT_EQ(cells(s, 38, top + 3, 5), "│ B │");
    EXPECT_EQ(cells(s, 38, top + 4, 5), "└───┘");
  });
  mc().key('x');
  EXPECT_TRUE(ERROR_OCCURED());
}

TEST_F(ErrorReport, LongReportsGoToTheViewer) {
  // Console height - 4 lines of messages still make a box; one more does not.
  EXPECT_FALSE(goes_to_viewer(messages(21), ""));
  EXPECT_TRUE(goes_to_viewer(messages(22), ""));
  EXPECT_FALSE(goes_to_viewer("", messages(21)));
  EXPECT_TRUE(goes_to_viewer("", messages(22)));
  // The two parts count together; the separator line of the box does not count.
  EXPECT_FALSE(goes_to_viewer(messages(10), messages(11)));
  EXPECT_TRUE(goes_to_viewer(messages(11), messages(11)));
  // Console width - 4 characters still make a box.
  EXPECT_FALSE(goes_to_viewer(messages(1, 76), ""));
  EXPECT_TRUE(goes_to_viewer(messages(1, 77), ""));
  EXPECT_TRUE(goes_to_viewer(messages(1), messages(2, 77)));

  use_screen(40, 12);
  EXPECT_FALSE(goes_to_viewer(messages(8, 36), ""));
  EXPECT_TRUE(goes_to_viewer(messages(9), ""));
  EXPECT_TRUE(goes_to_viewer("", messages(1, 37)));
}

TEST_F(ErrorReport, TheLargestBoxStillFitsTheScreen) {
  FC_CRITICALERRORBUFFER = messages(10, 76, 'c');
  FC_WARNINGBUFFER = messages(11, 5, 'w');
  mc().then([](MemoryConsole& s) {
    // 22 body lines in a box of 24 rows and 80 columns.
    EXPECT_EQ(cells(s, 1, 1, 1), "┌");
    EXPECT_EQ(cells(s, 80, 1, 1), "┐");
    EXPECT_EQ(s.row_trimmed(2), "│ " + std::string(76, 'c') + " │");
    EXPECT_EQ(s.row_trimmed(12), "│ >> Менее важное:" + std::string(61, ' ') + "│");
    EXPECT_EQ(cells(s, 1, 24, 2), "└─");
    EXPECT_EQ(s.row_trimmed(25), "");
  });
  mc().key('x');
  EXPECT_TRUE(ERROR_OCCURED());
}

TEST_F(ErrorReport, TheViewerGetsBothPartsWithTheirHeadingsAndColours) {
  use_screen(30, 8);
  ViewRecorder viewer;
  FC_CRITICALERRORBUFFER = "E1\r\nE2\r\nE3\r\n";
  FC_WARNINGBUFFER = "W1\r\nW2\r\n";
  EXPECT_TRUE(ERROR_OCCURED());
  ASSERT_EQ(viewer.shown.size(), 1u);
  EXPECT_EQ(readable(viewer.shown[0]),
            "{0C}              Критические ошибки:\n{0C}"
            "{0F}E1\n{0F}E2\n{0F}E3\n{0F}\n{0F}"
            "{04}              Предупреждения:\n{04}"
            "{06}W1\n{06}W2");
  EXPECT_TRUE(FC_CRITICALERRORBUFFER.empty());
  EXPECT_TRUE(FC_WARNINGBUFFER.empty());

  FC_WARNINGBUFFER = messages(5);
  EXPECT_FALSE(ERROR_OCCURED());
  ASSERT_EQ(viewer.shown.size(), 2u);
  const std::string start = "{04}              Предупреждения:\n{04}{06}eeeeeeeeee\n{06}e";
  EXPECT_EQ(readable(viewer.shown[1]).substr(0, start.size()), start);
}

TEST_F(ErrorReport, ALongReportOpensTheViewerScreen) {
  install_text_viewer();
  FC_CRITICALERRORBUFFER = messages(30, 10, 'c');
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), "              Критические ошибки:");
    EXPECT_EQ(s.attribute_at(15, 1), COL[ATT_HEADER]);
    EXPECT_EQ(s.row_trimmed(2), std::string(10, 'c'));
    EXPECT_EQ(s.attribute_at(1, 2), COL[ATT_BODY]);
  });
  mc().key(KEYCODE_ESCAPE);
  EXPECT_TRUE(ERROR_OCCURED());
  EXPECT_TRUE(mc().script_done());
  EXPECT_TRUE(FC_CRITICALERRORBUFFER.empty());
}

TEST(ErrorReportBuffers, Prep1DropsCarriageReturnsAndTrailingLineFeeds) {
  std::string buf = "\r\n\r\n";
  EXPECT_FALSE(PREP1(buf));
  EXPECT_EQ(buf, "");
  buf = "a\rb\r\n\nc\r\n\n\n";
  EXPECT_TRUE(PREP1(buf));
  EXPECT_EQ(buf, "ab\n\nc");
  buf = "";
  EXPECT_FALSE(PREP1(buf));
}

TEST(ErrorReportBuffers, Prep2CopiesAndMeasures) {
  VV_INIT();
  std::int32_t maxw = -1, l = -1;
  PREP2("ab\n\ncde", maxw, l);
  EXPECT_EQ(maxw, 3);
  EXPECT_EQ(l, 3);
  EXPECT_EQ(readable(std::string_view(BUF.data(), CURSOR)), "ab\n{00}\n{00}cde");
  PREP2("", maxw, l);
  EXPECT_EQ(maxw, 0);
  EXPECT_EQ(l, 1);
  VV_INIT();
}

}  // namespace
}  // namespace agat
