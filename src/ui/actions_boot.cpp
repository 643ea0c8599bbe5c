// A new bootable image: the DOS of the image under the cursor of a host panel (the master)
// copied into a new image of the master's size, in a form the user picks.
#include <memory>
#include <string>
#include <vector>

#include "content/colours.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/image_file.h"
#include "core/media_lifecycle.h"
#include "ui/actions_files.h"
#include "ui/dialogs.h"
#include "ui/mini_menu.h"

namespace agat {

void AC_CREATEBOOTMEDIA(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  const TMEDIA& folder = PAN_CUR->MD;
  if (folder.MEDIAT != MDHOSTFS) return;
  const TCATREC* cr = cursor_entry(*PAN_CUR);
  if (cr == nullptr || cr->CATRECT != CRTDISKIMAGE) {
    report_critical(
        "Создание загрузочного образа: поставьте курсор на образ, ДОС которого нужна"_w);
    return;
  }
  auto master = std::make_unique<TMEDIA>();
  master->MEDIAT = MDIMAGE;
  master->HOSTPATH = folder.HOSTPATH;
  master->IMAGENAME = cr->HOSTNAME;
  master->IMAGET = cr->IMAGET;
  set_geometry(*master, cr->IMAGET);
  FC_LOADMEDIA(*master);
  if (!FC_CRITICALERRORBUFFER.empty()) return;

  // The forms a new image of the master's size can have, the master's own first offered.
  std::vector<TIMAGET> forms;
  std::string buttons;
  std::uint8_t sel = 1;
  for (const TIMAGEDESC& d : IMAGEDESC) {
    if (!d.creatable || d.NTR != IMAGEDESC[cr->IMAGET].NTR || d.NSC != IMAGEDESC[cr->IMAGET].NSC)
      continue;
    forms.push_back(d.form);
    buttons += "| " + std::string(d.form_name) + " ";
    if (d.form == cr->IMAGET) sel = static_cast<std::uint8_t>(forms.size());
  }
  if (!MN_MINI(COL[MN_CLMD_RAMKA], COL[MN_CLMD_HEADER], COL[MN_CLMD_BODY], COL[MN_CLMD_MENU],
               " Загрузочный образ "_w, "Выберите форму нового образа"_w, buttons, sel) ||
      sel < 1 || sel > forms.size())
    return;
  auto md = std::make_unique<TMEDIA>();
  md->MEDIAT = MDIMAGE;
  md->HOSTPATH = folder.HOSTPATH;
  md->IMAGET = forms[sel - 1];
  std::string name(IMAGEDESC[md->IMAGET].extension);
  if (!DL_ENTERHOSTFILENAME(" Введите имя нового образа "_w, name)) return;
  md->IMAGENAME = cp1251_to_host(name);
  NewImageSystem system;
  system.MASTER = master.get();
  FC_INITMEDIA(*md, system);
  NEEDRELOAD = true;
  if (FC_CRITICALERRORBUFFER.empty()) PAN_CUR->CURSHNAME = md->IMAGENAME;
}

}  // namespace agat
