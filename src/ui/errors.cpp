#include "ui/errors.h"

#include <algorithm>
#include <string_view>

#include "content/colours.h"
#include "content/text_viewer.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "ui/mywrite.h"
#include "ui/subwindows.h"

namespace agat {

bool PREP1(std::string& BUF) {
  std::erase(BUF, '\r');
  while (!BUF.empty() && BUF.back() == '\n') BUF.pop_back();
  return !BUF.empty();
}

void PREP2(TextReport& R, const std::string& BUF, std::int32_t& MAXW, std::int32_t& L) {
  L = 1;
  MAXW = 0;
  std::int32_t w = 0;
  for (char c : BUF) {
    if (c == '\n') {
      MAXW = std::max(MAXW, w);
      w = 0;
      ++L;
      VV_ADD_EOL(R);
    } else {
      VV_ADD_CHAR(R, c);
      ++w;
    }
  }
  MAXW = std::max(MAXW, w);
}

bool ERROR_OCCURED() {
  bool result = false;
  TextReport R;
  std::int32_t lines = 0, width = 0;
  std::int32_t maxw = 0, l = 0;

  const bool critical = PREP1(FC_CRITICALERRORBUFFER);
  if (critical) {
    VV_ADD_COLOR(R, COL[ATT_HEADER]);
    VV_ADD_STRING_EOL(R, "              Критические ошибки:"_w);
    VV_ADD_COLOR(R, COL[ATT_BODY]);
    PREP2(R, FC_CRITICALERRORBUFFER, maxw, l);
    result = true;
    width = maxw;
    lines = l;
  }
  const bool warnings = PREP1(FC_WARNINGBUFFER);
  if (warnings) {
    if (critical) {
      VV_ADD_EOL(R);
      VV_ADD_EOL(R);
    }
    VV_ADD_COLOR(R, COL[WARN_HEADER]);
    VV_ADD_STRING_EOL(R, "              Предупреждения:"_w);
    VV_ADD_COLOR(R, COL[WARN_BODY]);
    PREP2(R, FC_WARNINGBUFFER, maxw, l);
    width = std::max(width, maxw);
    lines += l;
  }

  if (critical || warnings) {
    // Only the messages count: the headings and the blank line between the parts, and
    // the separator line of the box, are not measured.
    if (lines > crt_screen_height() - 4 || width > crt_screen_width() - 4) {
      VV_VIEW(R);
    } else {
      std::string title, body;
      if (critical) title += " Критические ошибки "_w;
      if (critical && warnings) title += "и"_w;
      if (warnings) title += " Предупреждения "_w;
      if (critical) body += FC_CRITICALERRORBUFFER;
      if (critical && warnings) body += "\n>> Менее важное:\n"_w;
      if (warnings) body += FC_WARNINGBUFFER;
      if (critical)
        SW_MESSAGE(COL[ATT_RAMKA], COL[ATT_HEADER], COL[ATT_BODY], title, body);
      else
        SW_MESSAGE(COL[WARN_RAMKA], COL[WARN_HEADER], COL[WARN_BODY], title, body);
    }
  }

  FC_CRITICALERRORBUFFER.clear();
  FC_WARNINGBUFFER.clear();
  return result;
}

}  // namespace agat
