// The preset menu as a person uses it from a dialog: Ins, Del, F4, Enter
// and Esc, with and without keeping the menu open, and what reaches the
// dialog's variables and, once the lists are destroyed, the registry.
#include "module/presets/preset_list.hpp"

#include "module/base/messages.hpp"
#include "module/presets/presets.hpp"
#include "tests/module/presets/preset_fixture.hpp"

using namespace preset_test;

namespace {

// Items of the editor-replace preset dialog.
constexpr int kName = 2, kText = 4, kReplace = 6, kIsRegExp = 7, kCaseSensitive = 8,
              kRemoveEmpty = 9, kRemoveNoMatch = 10;

// The variables of an editor replace dialog, in slot order.
struct ReplaceDialog {
  std::string text = "foo";
  std::string replace = "bar";
  int regexp = 1, case_sensitive = 0, remove_empty = 0, remove_no_match = 0;

  bool Menu(PresetList& list, bool keep_open = true) {
    return list.PresetMenu(keep_open, {&text, &replace},
                           {&regexp, &case_sensitive, &remove_empty, &remove_no_match});
  }
};

const std::string kReplacePath = PresetsPath("EditReplace");

void StoreReplacePreset(const std::string& name, const std::string& text,
                        const std::string& replace, int regexp) {
  const std::string path = kReplacePath + "\\" + name;
  StoreText(path, "Text", text);
  StoreText(path, "Replace", replace);
  StoreNumber(path, "IsRegExp", regexp);
  StoreNumber(path, "CaseSensitive", 1);
  StoreNumber(path, "RemoveEmpty", 0);
  StoreNumber(path, "RemoveNoMatch", 1);
}

using PresetMenuTest = PresetTest;

}  // namespace

// --- Ins ---

TEST_F(PresetMenuTest, InsertMakesAPresetOfTheDialogValuesKeptUntilSaved) {
  StoreReplacePreset("Alpha", "a", "b", 0);
  CreateEditorPresetLists();
  ReplaceDialog dialog;
  host_.menu_answers = {Key(kInsert, 0), kEsc};
  host_.dialog_answers = {Ok()};
  EXPECT_FALSE(dialog.Menu(*EditorReplacePresets));

  ASSERT_EQ(host_.dialog_snapshots.size(), 1u);
  const auto& shown = host_.dialog_snapshots[0];
  EXPECT_STREQ(shown[kName].Data, "New Preset");
  EXPECT_STREQ(shown[kText].Data, "foo");
  EXPECT_STREQ(shown[kReplace].Data, "bar");
  EXPECT_EQ(shown[kIsRegExp].Selected, 1);
  EXPECT_EQ(shown[kCaseSensitive].Selected, 0);
  EXPECT_EQ(shown[kRemoveEmpty].Selected, 0);
  EXPECT_EQ(shown[kRemoveNoMatch].Selected, 0);

  ASSERT_EQ(host_.menus.size(), 2u);
  EXPECT_EQ(host_.menus[0].items, (std::vector<std::string>{"Alpha"}));
  EXPECT_EQ(host_.menus[1].items, (std::vector<std::string>{"Alpha", "New Preset"}));
  EXPECT_EQ(host_.menus[1].cursor, 1);  // on the new preset
  for (const RecordedMenu& menu : host_.menus) {
    EXPECT_EQ(menu.title, "M" + std::to_string(MEditReplacePresetTitle));
    EXPECT_EQ(menu.bottom, "Ins,Del,F4");
    EXPECT_EQ(menu.help_topic, "Presets");
    // Preset names are shown as typed: '&' is no hotkey mark in them.
    EXPECT_EQ(menu.flags, static_cast<unsigned>(FMENU_WRAPMODE | FMENU_SHOWAMPERSAND));
    EXPECT_EQ(menu.break_keys, (std::vector<int>{VK_INSERT, VK_DELETE, VK_F4}));
  }
  EXPECT_FALSE(KeyExists(kReplacePath + "\\New Preset"));  // only memory until saved

  EXPECT_TRUE(SavePresetLists());
  DestroyEditorPresetLists();
  EXPECT_EQ(EditorReplacePresets, nullptr);
  const std::string saved = kReplacePath + "\\New Preset";
  EXPECT_EQ(StoredText(saved, "Text"), "foo");
  EXPECT_EQ(StoredText(saved, "Replace"), "bar");
  EXPECT_EQ(StoredNumber(saved, "IsRegExp"), 1);
  EXPECT_EQ(StoredNumber(saved, "CaseSensitive"), 0);
  EXPECT_EQ(StoredNumber(saved, "RemoveEmpty"), 0);
  EXPECT_EQ(StoredNumber(saved, "RemoveNoMatch"), 0);
  EXPECT_EQ(StoredText(kReplacePath + "\\Alpha", "Text"), "a");
}

TEST_F(PresetMenuTest, InsertLeftWithCancelOrEscAddsNothing) {
  EditReplacePresets list;
  ReplaceDialog dialog;
  host_.menu_answers = {Key(kInsert), Key(kInsert), kEsc};
  host_.dialog_answers = {Cancel({Type(kName, "Kept?")}), EscDialog()};
  EXPECT_FALSE(dialog.Menu(list));
  EXPECT_TRUE(list.Records().empty());
  EXPECT_EQ(host_.menus.size(), 3u);
}

// --- Enter and Esc ---

TEST_F(PresetMenuTest, EnterCopiesThePresetIntoTheVariables) {
  StoreReplacePreset("Alpha", "a", "b", 0);
  StoreReplacePreset("Beta", "x+", "y", 1);
  EditReplacePresets list;
  ReplaceDialog dialog;
  dialog.regexp = 0;
  host_.menu_answers = {Pick(1)};
  EXPECT_TRUE(dialog.Menu(list));
  EXPECT_EQ(dialog.text, "x+");
  EXPECT_EQ(dialog.replace, "y");
  EXPECT_EQ(dialog.regexp, 1);
  EXPECT_EQ(dialog.case_sensitive, 1);
  EXPECT_EQ(dialog.remove_empty, 0);
  EXPECT_EQ(dialog.remove_no_match, 1);
  EXPECT_EQ(host_.menus.size(), 1u);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha", "Beta"}));
}

TEST_F(PresetMenuTest, EscChangesNothing) {
  StoreReplacePreset("Alpha", "a", "b", 0);
  EditReplacePresets list;
  ReplaceDialog dialog;
  host_.menu_answers = {kEsc};
  EXPECT_FALSE(dialog.Menu(list));
  EXPECT_EQ(dialog.text, "foo");
  EXPECT_EQ(dialog.regexp, 1);
}

// A preset that replaces trailing blanks by nothing must not keep the
// dialog's old replacement; the setting only decides whether the empty text
// is written, and it reads back as empty either way.
TEST_F(PresetMenuTest, EmptyPresetTextsReplaceTheFieldsWhateverIsStored) {
  for (int store_empty : {0, 1}) {
    SCOPED_TRACE(store_empty);
    UseFreshRegistry();
    ForgetHostCalls();
    StoreEmptyInPresets = store_empty;
    {
      EditReplacePresets list;
      ReplaceDialog dialog{.text = " +$", .replace = ""};
      host_.menu_answers = {Key(kInsert), kEsc};
      host_.dialog_answers = {Ok({Type(kName, "Trim")})};
      EXPECT_FALSE(dialog.Menu(list));
      EXPECT_TRUE(list.SavePresets());
    }
    EXPECT_EQ(StoredText(kReplacePath + "\\Trim", "Replace"),
              store_empty ? std::optional<std::string>("") : std::nullopt);
    ForgetHostCalls();
    EditReplacePresets list;
    ReplaceDialog dialog{.text = "foo", .replace = "XYZ"};
    host_.menu_answers = {Pick(0)};
    EXPECT_TRUE(dialog.Menu(list));
    EXPECT_EQ(dialog.text, " +$");
    EXPECT_EQ(dialog.replace, "");
  }
}

// --- Del ---

TEST_F(PresetMenuTest, DeleteAsksAndOnlyTheFirstButtonRemoves) {
  StoreReplacePreset("Alpha", "a", "b", 0);
  StoreReplacePreset("Beta", "c", "d", 0);
  EditReplacePresets list;
  ReplaceDialog dialog;

  for (int refusal : {1, -1}) {
    SCOPED_TRACE(refusal);
    ForgetHostCalls();
    host_.message_answer = refusal;
    host_.menu_answers = {Key(kDelete, 0), kEsc};
    EXPECT_FALSE(dialog.Menu(list));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(host_.menus[1].items.size(), 2u);
  }
  ASSERT_EQ(host_.messages.size(), 1u);
  const RecordedMessage& question = host_.messages[0];
  EXPECT_EQ(question.flags, static_cast<unsigned>(FMSG_WARNING));
  EXPECT_EQ(question.help_topic, "DeletePreset");
  EXPECT_EQ(question.items,
            (std::vector<std::string>{"Delete", "M" + std::to_string(MDeletePresetQuestion),
                                      "Alpha", "M0", "M1"}));
  EXPECT_EQ(question.buttons, 2);

  // A refused Del keeps the cursor on its preset, so a second Del asks
  // about the same one again.
  ForgetHostCalls();
  host_.message_answer = 1;
  host_.menu_answers = {Key(kDelete, 1), Key(kDelete, 1), kEsc};
  EXPECT_FALSE(dialog.Menu(list));
  EXPECT_EQ(host_.menus[0].cursor, 0);
  EXPECT_EQ(host_.menus[1].cursor, 1);
  EXPECT_EQ(host_.menus[2].cursor, 1);

  ForgetHostCalls();
  host_.message_answer = 0;
  host_.menu_answers = {Key(kDelete, 0), kEsc};
  EXPECT_FALSE(dialog.Menu(list));
  EXPECT_EQ(host_.menus[1].items, (std::vector<std::string>{"Beta"}));
  EXPECT_TRUE(KeyExists(kReplacePath + "\\Alpha"));  // until the list is destroyed
}

TEST_F(PresetMenuTest, DeletedPresetLeavesTheRegistryWhenTheListIsSaved) {
  StoreReplacePreset("Alpha", "a", "b", 0);
  StoreReplacePreset("Beta", "c", "d", 0);
  {
    EditReplacePresets list;
    ReplaceDialog dialog;
    host_.menu_answers = {Key(kDelete, 1), kEsc};
    EXPECT_FALSE(dialog.Menu(list));
    EXPECT_EQ(Subkeys(kReplacePath), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_TRUE(list.SavePresets());
  }
  EXPECT_EQ(Subkeys(kReplacePath), (std::vector<std::string>{"Alpha"}));
}

// --- F4 ---

TEST_F(PresetMenuTest, EditChangesThePresetOnlyWhenAccepted) {
  StoreReplacePreset("Alpha", "a", "b", 0);
  EditReplacePresets list;
  ReplaceDialog dialog;
  host_.menu_answers = {Key(kEdit, 0), Key(kEdit, 0), kEsc};
  host_.dialog_answers = {Cancel({Type(kText, "lost"), Check(kIsRegExp, 1)}),
                          Ok({Type(kName, "Renamed"), Type(kText, "kept")})};
  EXPECT_FALSE(dialog.Menu(list));

  EXPECT_STREQ(host_.dialog_snapshots[1][kText].Data, "a");  // the cancelled edit left no trace
  ASSERT_EQ(list.Records().size(), 1u);
  const PresetRecord& record = list.Records()[0];
  EXPECT_EQ(record.name, "Renamed");
  EXPECT_EQ(record.texts, (std::vector<std::string>{"kept", "b"}));
  EXPECT_EQ(record.numbers, (std::vector<int>{0, 1, 0, 1}));
  EXPECT_EQ(host_.menus[2].items, (std::vector<std::string>{"Renamed"}));
  EXPECT_EQ(dialog.text, "foo");  // editing a preset never touches the dialog
}

// --- Empty list ---

TEST_F(PresetMenuTest, EnterDelAndF4OnAnEmptyListChangeNothing) {
  EditReplacePresets list;
  ReplaceDialog dialog;
  host_.menu_answers = {Key(kDelete, 0), Key(kEdit, 0), Key(kDelete), Key(kEdit), Pick(0)};
  EXPECT_FALSE(dialog.Menu(list));
  EXPECT_EQ(host_.menus.size(), 5u);
  for (const RecordedMenu& menu : host_.menus) EXPECT_TRUE(menu.items.empty());
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(host_.dialogs_shown, 0);
  EXPECT_EQ(dialog.text, "foo");
  EXPECT_EQ(dialog.regexp, 1);
}

// --- Without keeping the menu open ---

TEST_F(PresetMenuTest, WithoutKeepOpenTheMenuClosesAfterEachChangeButNotAfterARefusal) {
  struct Row {
    const char* action;
    MenuAnswer key;
    RecordingHost::DialogAnswer dialog;  // null when no dialog is shown
    int message_answer;
    size_t menus_shown;
    size_t presets_left;
  } rows[] = {
      {"accepted Ins", Key(kInsert), Ok(), 0, 1, 2},
      {"cancelled Ins", Key(kInsert), Cancel(), 0, 2, 1},
      {"accepted F4", Key(kEdit, 0), Ok(), 0, 1, 1},
      {"cancelled F4", Key(kEdit, 0), Cancel(), 0, 2, 1},
      {"confirmed Del", Key(kDelete, 0), nullptr, 0, 1, 0},
      {"refused Del", Key(kDelete, 0), nullptr, 1, 2, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.action);
    UseFreshRegistry();
    StoreReplacePreset("Alpha", "a", "b", 0);
    ForgetHostCalls();
    host_.message_answer = row.message_answer;
    host_.menu_answers = {row.key, kEsc};
    if (row.dialog) host_.dialog_answers = {row.dialog};
    EditReplacePresets list;
    ReplaceDialog dialog;
    EXPECT_FALSE(dialog.Menu(list, false));
    EXPECT_EQ(host_.menus.size(), row.menus_shown);
    EXPECT_EQ(list.Records().size(), row.presets_left);
  }
}

// --- Callers ---

TEST_F(PresetMenuTest, VariablesThatDoNotMatchTheKindGetNoMenu) {
  EditReplacePresets list;
  std::string text;
  int number = 0;
  EXPECT_FALSE(list.PresetMenu(true, {&text}, {&number, &number, &number, &number}));
  EXPECT_FALSE(list.PresetMenu(true, {&text, &text}, {&number}));
  EXPECT_TRUE(host_.menus.empty());
}

TEST_F(PresetMenuTest, FileListsLoadWhenCreatedAndWriteOnlyWhenSaved) {
  StoreText(PresetsPath("FileFind") + "\\Logs", "Mask", "*.log");
  StoreNumber(PresetsPath("FileReplace") + "\\Dates", "SearchAs", 2);
  CreateFilePresetLists();
  ASSERT_TRUE(FileSearchPresets && FileReplacePresets);
  EXPECT_EQ(Names(*FileSearchPresets), (std::vector<std::string>{"Logs"}));
  EXPECT_EQ(Names(*FileReplacePresets), (std::vector<std::string>{"Dates"}));
  EXPECT_TRUE(SavePresetLists());
  DestroyFilePresetLists();
  EXPECT_FALSE(FileSearchPresets || FileReplacePresets);
  EXPECT_EQ(StoredText(PresetsPath("FileFind") + "\\Logs", "Mask"), "*.log");
  // An empty text is written only with StoreEmptyInPresets.
  EXPECT_EQ(StoredText(PresetsPath("FileFind") + "\\Logs", "Text"), std::nullopt);
  EXPECT_EQ(StoredNumber(PresetsPath("FileReplace") + "\\Dates", "SearchAs"), 2);
}
