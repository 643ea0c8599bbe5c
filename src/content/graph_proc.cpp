#include "content/graph_proc.h"

#include "content/graph_agat.h"
#include "content/graph_alvgraf.h"
#include "content/graph_first_mode.h"
#include "content/graph_modes.h"
#include "content/graph_mousegraph.h"
#include "content/graph_window.h"
#include "content/graph_zx.h"

namespace agat {

namespace {

// A picture file while it is shown: draws its current rendering and takes the keys.
class Showing {
 public:
  virtual ~Showing() = default;
  // Draws onto the cleared frame; says how to show it.
  virtual TGRAPHVIEW draw(TGRAPHSCREEN& scr) = 0;
  // False when the key ends the showing.
  virtual bool key(TINTKEYCODE key) = 0;
};

// DR_AGAT: the arrow keys lead to the neighbouring modes, Escape closes.
class VideoMemory : public Showing {
 public:
  VideoMemory(const TCATREC& cr, const TFILEBUF& buf, TFILEFORMAT fmt)
      : data_(gp_video_data(cr, buf, fmt)), mode_(gp_first_mode(data_)) {}
  void select(TFILEGFORMAT mode) { mode_ = mode; }

  TGRAPHVIEW draw(TGRAPHSCREEN& scr) override {
    draw_agat(data_, mode_, scr);
    const TFGFDESC& d = FGFDESC[mode_];
    TGRAPHVIEW v;
    v.W = d.W;
    v.H = d.H;
    v.PSW = d.PSW;
    v.PSH = d.PSH;
    v.COMMENT = d.NM;
    CLEARIKC(v.IKC);
    v.IKC[IKCESCAPE] = "Close";
    v.IKC[IKCUP] = FGFDESC[d.NEARUP].NM;
    v.IKC[IKCDN] = FGFDESC[d.NEARDN].NM;
    v.IKC[IKCLF] = FGFDESC[d.NEARLF].NM;
    v.IKC[IKCRG] = FGFDESC[d.NEARRG].NM;
    return v;
  }
  bool key(TINTKEYCODE key) override {
    const TFGFDESC& d = FGFDESC[mode_];
    switch (key) {
      case IKCESCAPE:
        return false;
      case IKCUP:
        mode_ = d.NEARUP;
        break;
      case IKCDN:
        mode_ = d.NEARDN;
        break;
      case IKCLF:
        mode_ = d.NEARLF;
        break;
      case IKCRG:
        mode_ = d.NEARRG;
        break;
      default:
        break;
    }
    return true;
  }

 private:
  TVIDEODATA data_;
  TFILEGFORMAT mode_;
};

// DR_ZX: the arrow keys change the colour and brightness renderings, Escape closes.
class ZxScreen : public Showing {
 public:
  ZxScreen(const TCATREC& cr, const TFILEBUF& buf, TFILEFORMAT fmt) : fmt_(fmt) {
    zx_load(buf, cr.SIZE, fmt, *zx_);
  }
  TGRAPHVIEW draw(TGRAPHSCREEN& scr) override {
    PUTSCR(*zx_, mode_, bright_, scr);
    return zx_view(*zx_, fmt_, mode_, bright_);
  }
  bool key(TINTKEYCODE key) override {
    zx_key(key, mode_, bright_);
    return key != IKCESCAPE;
  }

 private:
  TFILEFORMAT fmt_;
  std::unique_ptr<TZXSCREEN> zx_ = std::make_unique<TZXSCREEN>();
  int mode_ = 1, bright_ = 2;
};

// DR_ALVGRAF and DR_MG: shown once; any key closes.
class Drawing : public Showing {
 public:
  Drawing(const TCATREC& cr, const TFILEBUF& buf, bool alvgraf)
      : cr_(cr), buf_(buf), alvgraf_(alvgraf) {}
  TGRAPHVIEW draw(TGRAPHSCREEN& scr) override {
    return alvgraf_ ? draw_alvgraf(buf_, cr_.SIZE, scr) : draw_mousegraph(cr_, buf_, scr);
  }
  bool key(TINTKEYCODE) override { return false; }

 private:
  const TCATREC& cr_;
  const TFILEBUF& buf_;
  bool alvgraf_;
};

// Any format that is no picture is shown as video memory, as a picture format the user names
// for a file of code would be.
std::unique_ptr<Showing> showing_of(const TCATREC& cr, const TFILEBUF& buf, TFILEFORMAT fmt) {
  switch (content_format(fmt).shown) {
    case ContentShown::alvgraf:
    case ContentShown::mousegraph:
      return std::make_unique<Drawing>(cr, buf, content_format(fmt).shown == ContentShown::alvgraf);
    case ContentShown::zx_packed:
    case ContentShown::zx_plain:
      return std::make_unique<ZxScreen>(cr, buf, fmt);
    case ContentShown::bytes:
    case ContentShown::code:
    case ContentShown::text:
    case ContentShown::agawt_text:
    case ContentShown::autograf_text:
    case ContentShown::basic:
    case ContentShown::video_memory:
      break;
  }
  return std::make_unique<VideoMemory>(cr, buf, fmt);
}

}  // namespace

bool gp_has_modes(TFILEFORMAT FMT) {
  return !is_picture_format(FMT) || content_format(FMT).has_modes;
}

void GP_VIEW(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT) {
  if (!GRAPHOPEN()) return;
  const auto showing = showing_of(CR, BUF, FMT);
  const auto scr = std::make_unique<TGRAPHSCREEN>();
  while (true) {
    scr->CLEARSCREEN();
    const TGRAPHVIEW v = showing->draw(*scr);
    const TINTKEYCODE key =
        GRAPHEXPOSE(*scr, v.W, v.H, v.PSW, v.PSH, CR.AGATNAME, v.COMMENT.c_str(), v.IKC);
    if (!showing->key(key)) break;
  }
  GRAPHCLOSE();
}

TGRAPHVIEW gp_render(const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT, TGRAPHSCREEN& SCR,
                     std::optional<TFILEGFORMAT> MODE) {
  const auto showing = showing_of(CR, BUF, FMT);
  if (MODE && gp_has_modes(FMT)) static_cast<VideoMemory&>(*showing).select(*MODE);
  SCR.CLEARSCREEN();
  return showing->draw(SCR);
}

}  // namespace agat
