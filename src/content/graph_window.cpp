#include "content/graph_window.h"

#include <utility>

namespace agat {

namespace {

GraphWindowHooks& hooks() {
  static GraphWindowHooks installed;
  return installed;
}

}  // namespace

bool GRAPHOPEN() {
  return hooks().open && hooks().expose && hooks().open();
}

TINTKEYCODE GRAPHEXPOSE(const TGRAPHSCREEN& P, std::int32_t W, std::int32_t H,
                        std::int32_t PREFER_SCALE_W, std::int32_t PREFER_SCALE_H,
                        const TAGATNAME& FNAME, const char* COMMENT, const TINTKEYCOMMENTS& IKC) {
  if (!hooks().expose) return IKCESCAPE;
  TGRAPHVIEW view;
  view.W = W;
  view.H = H;
  view.PSW = PREFER_SCALE_W;
  view.PSH = PREFER_SCALE_H;
  view.COMMENT = COMMENT != nullptr ? COMMENT : "";
  view.IKC = IKC;
  return hooks().expose(GraphExposure{P, view, FNAME});
}

void GRAPHCLOSE() {
  if (hooks().close) hooks().close();
}

void set_graph_window_hooks(GraphWindowHooks h) {
  hooks() = std::move(h);
}

}  // namespace agat
