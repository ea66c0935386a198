// Preset lists against a real registry file: where each kind lives, what a
// damaged or partial preset loads as, and what saving leaves behind.
#include "module/base/host_access.hpp"
#include "tests/module/presets/preset_fixture.hpp"

using namespace preset_test;

namespace {

using PresetStoreTest = PresetTest;

}  // namespace

// --- Where each kind lives ---

TEST_F(PresetStoreTest, EachKindLoadsItsOwnKeyWithItsValueNames) {
  struct Row {
    const char* kind;
    std::vector<std::string> texts;
    std::vector<std::string> numbers;
  } rows[] = {
      {"EditReplace", {"Text", "Replace"},
       {"IsRegExp", "CaseSensitive", "RemoveEmpty", "RemoveNoMatch"}},
      {"EditFind", {"Text"}, {"IsRegExp", "CaseSensitive"}},
      {"FileReplace", {"Mask", "Text", "Replace"}, {"MaskAsRegExp", "CaseSensitive", "SearchAs"}},
      {"FileFind", {"Mask", "Text"}, {"MaskAsRegExp", "CaseSensitive", "SearchAs", "IsInverse"}},
  };
  // Every value name of every kind under every kind's key, each number
  // telling its key and slot: a kind that reads the wrong key or a wrong
  // name picks up another kind's values.
  auto number = [](size_t key, size_t slot) { return static_cast<int>(10 * key + slot); };
  for (size_t key = 0; key < std::size(rows); key++) {
    const std::string path = PresetsPath(rows[key].kind) + "\\Only " + rows[key].kind;
    for (const Row& names : rows) {
      for (const std::string& name : names.texts)
        StoreText(path, name.c_str(), std::string(rows[key].kind) + "." + name);
      for (size_t slot = 0; slot < names.numbers.size(); slot++)
        StoreNumber(path, names.numbers[slot].c_str(), number(key, slot));
    }
  }

  std::unique_ptr<PresetList> lists[] = {
      std::make_unique<EditReplacePresets>(), std::make_unique<EditFindPresets>(),
      std::make_unique<FileReplacePresets>(), std::make_unique<FileFindPresets>()};
  for (size_t k = 0; k < std::size(rows); k++) {
    const Row& row = rows[k];
    SCOPED_TRACE(row.kind);
    const PresetList& list = *lists[k];
    EXPECT_STREQ(list.KindName(), row.kind);
    ASSERT_EQ(list.Records().size(), 1u);
    const PresetRecord& record = list.Records()[0];
    EXPECT_EQ(record.name, std::string("Only ") + row.kind);
    ASSERT_EQ(record.texts.size(), row.texts.size());
    for (size_t i = 0; i < row.texts.size(); i++)
      EXPECT_EQ(record.texts[i], std::string(row.kind) + "." + row.texts[i]);
    ASSERT_EQ(record.numbers.size(), row.numbers.size());
    for (size_t i = 0; i < row.numbers.size(); i++)
      EXPECT_EQ(record.numbers[i], number(k, i));
  }
}

TEST_F(PresetStoreTest, PresetsLoadInTheRegistryOrderAndSaveBackUnchanged) {
  const std::string path = PresetsPath("FileFind");
  for (const char* name : {"b-logs", "A-src", "c \x8F\xE0\xA8"}) {
    StoreText(path + "\\" + name, "Mask", std::string("*.") + name);
    StoreText(path + "\\" + name, "Text", "");
    StoreNumber(path + "\\" + name, "MaskAsRegExp", 0);
    StoreNumber(path + "\\" + name, "CaseSensitive", 1);
    StoreNumber(path + "\\" + name, "SearchAs", -7);  // any 32-bit value is kept
    StoreNumber(path + "\\" + name, "IsInverse", 1);
  }
  const std::vector<std::string> order{"A-src", "b-logs", "c \x8F\xE0\xA8"};
  {
    FileFindPresets list;
    EXPECT_EQ(Names(list), order);
    EXPECT_EQ(list.Records()[0].numbers, (std::vector<int>{0, 1, -7, 1}));
    EXPECT_TRUE(list.SavePresets());
  }
  EXPECT_EQ(Subkeys(path), order);
  EXPECT_EQ(StoredText(path + "\\c \x8F\xE0\xA8", "Mask"), "*.c \x8F\xE0\xA8");
  EXPECT_EQ(StoredNumber(path + "\\A-src", "SearchAs"), -7);
}

// --- Partial or damaged presets ---

TEST_F(PresetStoreTest, MissingOrMistypedValuesLoadAsEmptyTextsAndZero) {
  const std::string preset = PresetsPath("EditReplace") + "\\Partial";
  StoreText(preset, "Replace", "r");
  StoreText(preset, "IsRegExp", "1");  // a text where a number belongs
  StoreNumber(preset, "Text", 5);      // a number where a text belongs
  StoreNumber(preset, "RemoveNoMatch", 1);
  {
    EditReplacePresets list;
    ASSERT_EQ(list.Records().size(), 1u);
    EXPECT_EQ(list.Records()[0].texts, (std::vector<std::string>{"", "r"}));
    EXPECT_EQ(list.Records()[0].numbers, (std::vector<int>{0, 0, 0, 1}));
    EXPECT_TRUE(list.SavePresets());
  }
  // Saving writes every number and every text that is not empty (empty
  // ones only when asked to), so the mistyped values are gone.
  EXPECT_EQ(StoredText(preset, "Text"), std::nullopt);
  EXPECT_EQ(StoredNumber(preset, "Text"), std::nullopt);
  EXPECT_EQ(StoredNumber(preset, "IsRegExp"), 0);
  EXPECT_EQ(StoredNumber(preset, "CaseSensitive"), 0);
}

TEST_F(PresetStoreTest, ANameDifferingOnlyInLetterCaseIsRefusedSoOneSubkeyHoldsOnePreset) {
  {
    EditFindPresets list;
    std::string text = "first";
    int regexp = 0, case_sensitive = 1;
    host_.menu_answers = {Key(kInsert), Key(kInsert), kEsc};
    host_.dialog_answers = {Ok({Type(2, "Same")}),
                            Ok({Type(2, "same"), Type(4, "second"), Check(5, 1)}), Cancel()};
    EXPECT_FALSE(list.PresetMenu(true, {&text}, {&regexp, &case_sensitive}));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Same"}));
    EXPECT_TRUE(list.SavePresets());
  }
  const std::string path = PresetsPath("EditFind");
  ASSERT_EQ(Subkeys(path).size(), 1u);
  EXPECT_EQ(StoredText(path + "\\Same", "Text"), "first");
  EXPECT_EQ(StoredNumber(path + "\\Same", "IsRegExp"), 0);
}

// --- Saving over what cannot go ---

TEST_F(PresetStoreTest, ASubkeyThatCannotBeDeletedEndsTheClearingAndIsSavedOver) {
  const std::string path = PresetsPath("EditFind");
  StoreText(path + "\\Stuck", "Text", "old");
  CreateKey(path + "\\Stuck\\Nested");  // a key with subkeys cannot be deleted
  {
    EditFindPresets list;
    std::string text;
    int regexp = 0, case_sensitive = 0;
    host_.menu_answers = {Key(kEdit, 0), kEsc};
    host_.dialog_answers = {Ok({Type(4, "new")})};
    list.PresetMenu(true, {&text}, {&regexp, &case_sensitive});
    EXPECT_FALSE(list.SavePresets());  // written over, and the leftover reported
  }
  EXPECT_EQ(Subkeys(path), (std::vector<std::string>{"Stuck"}));
  EXPECT_EQ(StoredText(path + "\\Stuck", "Text"), "new");
  EXPECT_TRUE(KeyExists(path + "\\Stuck\\Nested"));
}

TEST_F(PresetStoreTest, ARootTooLongForThePathLoadsAndSavesNothing) {
  // Long enough that the kind's path passes 255 bytes while the settings
  // path still fits: a cut path would land in some other key.
  const std::string root = "Software\\" + std::string(231, 'r');
  StartupInfo.RootKey = root.c_str();
  const std::string full = root + "\\Finderix\\EditFindPresets";
  ASSERT_GT(full.size(), 255u);
  StoreText(full + "\\Hidden", "Text", "x");
  {
    EditFindPresets list;
    EXPECT_TRUE(list.Records().empty());
    std::string text = "t";
    int regexp = 0, case_sensitive = 0;
    host_.menu_answers = {Key(kInsert), kEsc};
    host_.dialog_answers = {Ok({Type(2, "Mine")})};
    list.PresetMenu(true, {&text}, {&regexp, &case_sensitive});
    EXPECT_FALSE(list.SavePresets());
  }
  EXPECT_EQ(Subkeys(full), (std::vector<std::string>{"Hidden"}));
  EXPECT_EQ(Subkeys(root + "\\Finderix"), (std::vector<std::string>{"EditFindPresets"}));
  EXPECT_FALSE(KeyExists(full.substr(0, 255)));
}
