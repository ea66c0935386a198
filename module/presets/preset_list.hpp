// Named presets of one of the four main dialogs: the list in memory, its
// registry store and the host menu that creates, deletes, edits and picks
// them. A list loads itself when it is built and rewrites its registry key
// only when SavePresets is called; destroying it writes nothing.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

// One preset: its name and the kind's values, texts and numbers each in the
// order of the kind's value names.
struct PresetRecord {
  std::string name;
  std::vector<std::string> texts;
  std::vector<int> numbers;
};

class PresetList {
 public:
  virtual ~PresetList() = default;
  PresetList(const PresetList&) = delete;
  PresetList& operator=(const PresetList&) = delete;

  // Shows the kind's preset dialog on the record; true when it was
  // accepted, and only then does the record hold the edited values.
  virtual bool EditPreset(PresetRecord& record) = 0;
  // The registry key's name stem.
  virtual const char* KindName() const = 0;
  // The message that titles the kind's menu and preset dialog.
  virtual int TitleMessage() const = 0;
  virtual std::span<const char* const> TextNames() const = 0;
  virtual std::span<const char* const> NumberNames() const = 0;

  // Runs the menu over the dialog's variables, given in the kind's slot
  // order. True when a preset was picked and copied into the variables.
  // With keep_open false the menu also closes after an accepted new or
  // edited preset and after a deletion.
  bool PresetMenu(bool keep_open, std::initializer_list<std::string*> texts,
                  std::initializer_list<int*> numbers);

  const std::vector<PresetRecord>& Records() const { return records_; }

  // Whether a preset other than `edited` (a new record, or one of the list
  // under F4) already has the name; names are registry keys, so letter case
  // does not tell them apart.
  bool NameTaken(const std::string& name, const PresetRecord& edited) const;

  // Rewrites the kind's key to hold exactly the list. False when the key
  // could not be had or a preset could not be written in full.
  bool SavePresets();

 protected:
  PresetList() = default;
  // Each kind calls this from its own constructor, where its value names
  // are available.
  void LoadPresets();

 private:
  // Ins: a new preset from the variables, kept when its dialog is accepted.
  bool AddPreset(std::initializer_list<std::string*> texts, std::initializer_list<int*> numbers);
  // Del: removes the preset once the user confirmed it.
  bool DeletePreset(size_t index);

  std::vector<PresetRecord> records_;
};
