// The preset dialogs of the four kinds as the host is shown them, the
// values they write into a preset, and the rules for preset names.
#include "module/base/messages.hpp"
#include "tests/module/presets/preset_fixture.hpp"

using namespace preset_test;

namespace {

using PresetDialogTest = PresetTest;

std::string Msg(int number) { return "M" + std::to_string(number); }

// What one dialog item shows: type, position, text and flags.
struct Shown {
  int type, x1, y1;
  std::string data;
  DWORD flags = 0;
  std::string history = "";
};

// The variables of a dialog of any kind, given to the menu in slot order.
struct Variables {
  std::vector<std::string> texts;
  std::vector<int> numbers;

  bool Menu(PresetList& list) {
    std::vector<std::string*> t;
    for (std::string& text : texts) t.push_back(&text);
    std::vector<int*> n;
    for (int& number : numbers) n.push_back(&number);
    // The menu takes the variables as braced lists, one shape per kind.
    if (t.size() == 1) return list.PresetMenu(true, {t[0]}, {n[0], n[1]});
    if (t.size() == 3) return list.PresetMenu(true, {t[0], t[1], t[2]}, {n[0], n[1], n[2]});
    return list.PresetMenu(true, {t[0], t[1]}, {n[0], n[1], n[2], n[3]});
  }
};

constexpr DWORD kEditFlags = DIF_HISTORY;

}  // namespace

// --- What each dialog shows ---

TEST_F(PresetDialogTest, EachKindShowsItsDialogOnTheNewPresetsValues) {
  struct Row {
    std::unique_ptr<PresetList> list;
    Variables variables;
    const char* help_topic;
    int height;
    std::vector<Shown> items;
  };
  std::vector<Row> rows;
  rows.push_back({std::make_unique<EditReplacePresets>(), {{"foo", "bar"}, {1, 0, 1, 0}},
                  "ERPresetDlg", 18,
                  {{DI_DOUBLEBOX, 3, 1, Msg(MEditReplacePresetTitle)},
                   {DI_TEXT, 5, 2, Msg(MPresetName)},
                   {DI_EDIT, 5, 3, "New Preset", kEditFlags, "PresetName"},
                   {DI_TEXT, 5, 4, Msg(MSearchTextLabel)},
                   {DI_EDIT, 5, 5, "foo", kEditFlags, "SearchText"},
                   {DI_TEXT, 5, 6, Msg(MReplaceTextLabel)},
                   {DI_EDIT, 5, 7, "bar", kEditFlags, "ReplaceText"},
                   {DI_CHECKBOX, 5, 9, Msg(MRegExp)},
                   {DI_CHECKBOX, 5, 10, Msg(MCaseSensitive)},
                   {DI_CHECKBOX, 5, 11, Msg(MRemoveEmpty)},
                   {DI_CHECKBOX, 5, 12, Msg(MRemoveNoMatch)}}});
  rows.push_back({std::make_unique<EditFindPresets>(), {{"foo"}, {0, 1}}, "ESPresetDlg", 13,
                  {{DI_DOUBLEBOX, 3, 1, Msg(MEditFindPresetTitle)},
                   {DI_TEXT, 5, 2, Msg(MPresetName)},
                   {DI_EDIT, 5, 3, "New Preset", kEditFlags, "PresetName"},
                   {DI_TEXT, 5, 4, Msg(MSearchTextLabel)},
                   {DI_EDIT, 5, 5, "foo", kEditFlags, "SearchText"},
                   {DI_CHECKBOX, 5, 7, Msg(MRegExp)},
                   {DI_CHECKBOX, 5, 8, Msg(MCaseSensitive)}}});
  rows.push_back({std::make_unique<FileReplacePresets>(), {{"*.c", "a", "b"}, {1, 0, 2}},
                  "FRPresetDlg", 19,
                  {{DI_DOUBLEBOX, 3, 1, Msg(MFileReplacePresetTitle)},
                   {DI_TEXT, 5, 2, Msg(MPresetName)},
                   {DI_EDIT, 5, 3, "New Preset", kEditFlags, "PresetName"},
                   {DI_CHECKBOX, 35, 4, Msg(MMaskAsRegExp)},
                   {DI_TEXT, 5, 4, Msg(MMasksLabel)},
                   {DI_EDIT, 5, 5, "*.c", kEditFlags, "Masks"},
                   {DI_TEXT, 5, 6, Msg(MSearchTextLabel)},
                   {DI_EDIT, 5, 7, "a", kEditFlags, "SearchText"},
                   {DI_TEXT, 5, 8, Msg(MReplaceTextLabel)},
                   {DI_EDIT, 5, 9, "b", kEditFlags, "ReplaceText"},
                   {DI_CHECKBOX, 5, 11, Msg(MCaseSensitive)},
                   {DI_RADIOBUTTON, 5, 12, Msg(MAsPlainText), DIF_GROUP},
                   {DI_RADIOBUTTON, 5, 13, Msg(MRegExp)},
                   {DI_RADIOBUTTON, 5, 14, Msg(MAsLinesWindowPattern)}}});
  rows.push_back({std::make_unique<FileFindPresets>(), {{"*.h", "t"}, {0, 1, 4, 1}},
                  "FSPresetDlg", 21,
                  {{DI_DOUBLEBOX, 3, 1, Msg(MFileFindPresetTitle)},
                   {DI_TEXT, 5, 2, Msg(MPresetName)},
                   {DI_EDIT, 5, 3, "New Preset", kEditFlags, "PresetName"},
                   {DI_CHECKBOX, 35, 4, Msg(MMaskAsRegExp)},
                   {DI_TEXT, 5, 4, Msg(MMasksLabel)},
                   {DI_EDIT, 5, 5, "*.h", kEditFlags, "Masks"},
                   {DI_TEXT, 5, 6, Msg(MSearchTextLabel)},
                   {DI_EDIT, 5, 7, "t", kEditFlags, "SearchText"},
                   {DI_CHECKBOX, 5, 9, Msg(MCaseSensitive)},
                   {DI_RADIOBUTTON, 5, 10, Msg(MAsPlainText), DIF_GROUP},
                   {DI_RADIOBUTTON, 5, 11, Msg(MRegExp)},
                   {DI_RADIOBUTTON, 5, 12, Msg(MAsLinesWindowPattern)},
                   {DI_RADIOBUTTON, 5, 13, Msg(MAsFilePattern)},
                   {DI_RADIOBUTTON, 5, 14, Msg(MAsPlainWords)},
                   {DI_RADIOBUTTON, 5, 15, Msg(MAsPatternWords)},
                   {DI_CHECKBOX, 5, 16, Msg(MInverseSearch)}}});

  for (Row& row : rows) {
    SCOPED_TRACE(row.help_topic);
    ForgetHostCalls();
    host_.menu_answers = {Key(kInsert), kEsc};
    host_.dialog_answers = {EscDialog()};
    row.variables.Menu(*row.list);
    ASSERT_EQ(host_.dialog_calls.size(), 1u);
    EXPECT_EQ(host_.dialog_calls[0].help_topic, row.help_topic);
    EXPECT_EQ(host_.dialog_calls[0].x1, -1);
    EXPECT_EQ(host_.dialog_calls[0].x2, 76);
    EXPECT_EQ(host_.dialog_calls[0].y2, row.height);

    for (const char* button : {"M0", "M1"})
      row.items.push_back({DI_BUTTON, 0, row.height - 4, button, DIF_CENTERGROUP});
    const std::vector<FarDialogItem>& shown = host_.dialog_snapshots[0];
    ASSERT_EQ(shown.size(), row.items.size());
    EXPECT_EQ(shown[0].X2, 72);
    EXPECT_EQ(shown[0].Y2, row.height - 2);
    int radio = -1;
    for (size_t i = 0; i < shown.size(); i++) {
      SCOPED_TRACE(i);
      const Shown& want = row.items[i];
      EXPECT_EQ(shown[i].Type, want.type);
      EXPECT_EQ(shown[i].X1, want.x1);
      EXPECT_EQ(shown[i].Y1, want.y1);
      EXPECT_EQ(shown[i].Data, want.data);
      EXPECT_EQ(shown[i].Flags, want.flags);
      if (want.type == DI_EDIT) {
        EXPECT_EQ(shown[i].X2, 70);
        EXPECT_STREQ(shown[i].History, want.history.c_str());
      }
      if (want.type == DI_RADIOBUTTON) {
        radio++;
        EXPECT_EQ(shown[i].Selected, radio == row.variables.numbers[2]);
      }
    }
    EXPECT_EQ(shown[row.items.size() - 2].DefaultButton, 1);
  }
}

TEST_F(PresetDialogTest, CheckBoxesShowTheNumbersInSlotOrder) {
  EditReplacePresets list;
  Variables variables{{"", ""}, {0, 1, 0, 1}};
  host_.menu_answers = {Key(kInsert), kEsc};
  host_.dialog_answers = {EscDialog()};
  variables.Menu(list);
  const std::vector<FarDialogItem>& shown = host_.dialog_snapshots[0];
  EXPECT_EQ(shown[7].Selected, 0);
  EXPECT_EQ(shown[8].Selected, 1);
  EXPECT_EQ(shown[9].Selected, 0);
  EXPECT_EQ(shown[10].Selected, 1);
}

// --- Values the dialogs write ---

TEST_F(PresetDialogTest, FileSearchModeChosenInThePresetStaysInThePresetUntilPicked) {
  FileFindPresets list;
  Variables variables{{"*.*", "x"}, {0, 0, 0, 0}};
  host_.menu_answers = {Key(kInsert), kEsc};
  host_.dialog_answers = {Ok({Check(9, 0), Check(12, 1), Check(15, 1), Type(2, "Whole file")})};
  EXPECT_FALSE(variables.Menu(list));
  ASSERT_EQ(list.Records().size(), 1u);
  EXPECT_EQ(list.Records()[0].name, "Whole file");
  EXPECT_EQ(list.Records()[0].numbers, (std::vector<int>{0, 0, 3, 1}));
  EXPECT_EQ(variables.numbers, (std::vector<int>{0, 0, 0, 0}));

  host_.menu_answers.push_back(Pick(0));
  EXPECT_TRUE(variables.Menu(list));
  EXPECT_EQ(variables.numbers, (std::vector<int>{0, 0, 3, 1}));
}

// --- Preset names ---

TEST_F(PresetDialogTest, RefusedNamesWarnAndBringTheDialogBackAsTyped) {
  for (const char* refused : {"", "   ", "\t", "a\\b", "\\"}) {
    SCOPED_TRACE(std::string("name '") + refused + "'");
    UseFreshRegistry();
    ForgetHostCalls();
    EditFindPresets list;
    Variables variables{{"foo"}, {0, 0}};
    host_.menu_answers = {Key(kInsert), kEsc};
    host_.dialog_answers = {Ok({Type(2, refused), Type(4, "typed"), Check(5, 1)}),
                           Ok({Type(2, "Fixed")})};
    EXPECT_FALSE(variables.Menu(list));

    ASSERT_EQ(host_.messages.size(), 1u);
    const RecordedMessage& warning = host_.messages[0];
    EXPECT_EQ(warning.flags, static_cast<unsigned>(FMSG_WARNING));
    EXPECT_EQ(warning.help_topic, "ESPresetDlg");
    EXPECT_EQ(warning.items, (std::vector<std::string>{Msg(MEditFindPresetTitle),
                                                       Msg(MPresetNameInvalid), Msg(MOk)}));
    EXPECT_EQ(warning.buttons, 1);

    ASSERT_EQ(host_.dialog_snapshots.size(), 2u);
    const std::vector<FarDialogItem>& again = host_.dialog_snapshots[1];
    EXPECT_STREQ(again[2].Data, refused);
    EXPECT_STREQ(again[4].Data, "typed");
    EXPECT_EQ(again[5].Selected, 1);
    EXPECT_EQ(again[2].Focus, 1);

    ASSERT_EQ(list.Records().size(), 1u);
    EXPECT_EQ(list.Records()[0].name, "Fixed");
    EXPECT_EQ(list.Records()[0].texts[0], "typed");
  }
}

// Two presets of one name would be one registry key; Ins and F4 refuse a
// name another preset has, in any letter case, with the same warning, while
// F4 keeps a preset's own name.
TEST_F(PresetDialogTest, NamesOfOtherPresetsAreRefused) {
  const std::string path = PresetsPath("EditFind") + "\\";
  StoreText(path + "New Preset", "Text", "a");
  StoreText(path + "Other", "Text", "b");
  EditFindPresets list;
  Variables variables{{"foo"}, {0, 0}};
  host_.menu_answers = {Key(kInsert), Key(kInsert), Key(kEdit, 1), kEsc};
  host_.dialog_answers = {Ok(), Cancel(), Ok({Type(2, "other")}), Ok({Type(2, "new PRESET")}),
                          Cancel(), Ok({Type(4, "c")})};
  EXPECT_FALSE(variables.Menu(list));

  ASSERT_EQ(host_.messages.size(), 3u);
  for (const RecordedMessage& warning : host_.messages) {
    EXPECT_EQ(warning.help_topic, "ESPresetDlg");
    EXPECT_EQ(warning.items, (std::vector<std::string>{Msg(MEditFindPresetTitle),
                                                       Msg(MPresetNameInvalid), Msg(MOk)}));
  }
  EXPECT_EQ(Names(list), (std::vector<std::string>{"New Preset", "Other"}));
  EXPECT_EQ(list.Records()[1].texts[0], "c");
}

TEST_F(PresetDialogTest, LongNamesAreCutToWhatAMenuItemHolds) {
  struct Row {
    size_t typed;
    size_t kept;
  } rows[] = {{126, 126}, {127, 127}, {128, 127}, {300, 127}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    UseFreshRegistry();
    ForgetHostCalls();
    EditFindPresets list;
    Variables variables{{"foo"}, {0, 0}};
    std::string typed;
    for (size_t i = 0; i < row.typed; i++) typed += static_cast<char>('a' + i % 26);
    host_.menu_answers = {Key(kInsert), kEsc};
    host_.dialog_answers = {Ok({Type(2, typed)})};
    variables.Menu(list);
    ASSERT_EQ(list.Records().size(), 1u);
    EXPECT_EQ(list.Records()[0].name, typed.substr(0, row.kept));
    EXPECT_EQ(host_.menus[1].items[0], typed.substr(0, row.kept));
  }
}
