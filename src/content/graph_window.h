// The graphics window in which decoded pictures are shown. It belongs to the program's
// platform; content modules reach it through these hooks, which the program installs at
// start (tests install recorders).
#pragma once

#include <cstdint>
#include <functional>

#include "content/graph_screen.h"
#include "core/world_formats.h"

namespace agat {

// Makes the window ready for a series of pictures. False when no window can be shown
// (nothing is installed, or the display cannot be reached).
bool GRAPHOPEN();

// Shows W x H pixels of frame P from its top left corner, each pixel drawn in the shape
// PREFER_SCALE_W : PREFER_SCALE_H, the Agat name FNAME in the title, COMMENT under the
// picture and the hints of IKC around it, and waits for one of the keys whose hint is not
// empty; closing the window answers IKCESCAPE. Without a window: IKCESCAPE at once.
TINTKEYCODE GRAPHEXPOSE(const TGRAPHSCREEN& P, std::int32_t W, std::int32_t H,
                        std::int32_t PREFER_SCALE_W, std::int32_t PREFER_SCALE_H,
                        const TAGATNAME& FNAME, const char* COMMENT, const TINTKEYCOMMENTS& IKC);

// Ends the series that GRAPHOPEN began.
void GRAPHCLOSE();

// One call of GRAPHEXPOSE, as the installed window receives it.
struct GraphExposure {
  const TGRAPHSCREEN& frame;
  const TGRAPHVIEW& view;
  const TAGATNAME& name;
};

struct GraphWindowHooks {
  std::function<bool()> open;
  std::function<TINTKEYCODE(const GraphExposure&)> expose;
  std::function<void()> close;
};
void set_graph_window_hooks(GraphWindowHooks hooks);

}  // namespace agat
