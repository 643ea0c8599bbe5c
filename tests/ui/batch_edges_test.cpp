// Copies, moves and undeletions at their edges: a ".FIL" file copied into its own directory
// takes a name of its own there, a move whose save fails keeps its source, and a batch of
// undeletions stops at the first that fails. A deleted file is exported under its own name,
// without the track that deletion wrote over its last character.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/host_faults.h"
#include "ui/fixtures.h"

namespace agat {
namespace {

using BatchEdges = testing::SorbelTest;

TEST_F(BatchEdges, AFilFileIsCopiedIntoItsOwnDirectory) {
  testing::write_bytes(dir.file("X.FIL"), std::vector<std::uint8_t>(45, 0xC1));
  screen->key(HKEY_F5);
  quit({"X.FIL"});
  int fil = 0;
  for (const auto& f : std::filesystem::directory_iterator(dir.path()))
    fil += f.path().extension() == ".FIL";
  EXPECT_EQ(fil, 2);
}

TEST_F(BatchEdges, AMoveWhoseSaveFailsKeepsItsSource) {
  auto a = image("a.dsk");
  save(*a, "ONE", 0x04, 300);
  const testing::InjectedFaults faults({{HostFileCall::write, 1, {EIO}}});
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, HKEY_F6});
  shows({"Запись FIL-файла: ошибка записи файла"});
  screen->key(KEYCODE_ESCAPE);
  quit({"a.dsk"});
  EXPECT_NE(testing::find_entry(*read_image("a.dsk"), "ONE"), nullptr);
}

TEST_F(BatchEdges, MarkedUndeletionsStopAtTheFirstThatFails) {
  auto a = image("a.dsk");
  save(*a, "A", 0x04, 300);
  save(*a, "B", 0x04, 300);
  for (const char* name : {"A", "B"}) FC_DELETE(*testing::find_entry(*a, name));
  FC_READCAT(*a);
  const TCATREC& gone = *testing::find_deleted(*a, "A");
  as<TCATSECTOR>(a->MASS[gone.TCAT][gone.SCAT]).CR[gone.OCAT].N[29] = 0;  // no way to its list
  FC_SAVEMEDIA(*a, false);
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, ' ', ' ', HKEY_F4});
  shows({"файл не восстановлен"});
  screen->key(KEYCODE_ESCAPE);
  quit({"a.dsk"});
  EXPECT_NE(testing::find_deleted(*read_image("a.dsk"), "B"), nullptr);
}

TEST_F(BatchEdges, ADeletedFileIsExportedUnderItsName) {
  auto a = image("a.dsk");
  save(*a, "GONE", 0x04, 300);
  FC_DELETE(*testing::find_entry(*a, "GONE"));
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, 'e'});
  answer(" Укажите имя файла, в который будет выполнен экспорт ", "");
  quit({"a.dsk"});
  std::vector<std::string> stems;
  for (const auto& f : std::filesystem::directory_iterator(dir.path()))
    if (f.path().extension() != ".dsk") stems.push_back(f.path().stem().string());
  EXPECT_EQ(stems, std::vector<std::string>{"GONE"});
}

}  // namespace
}  // namespace agat
