// The command text rewritten to ask for the dialog, and the scope button
// marked in it.
#include "host/cli/selected_scope.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "host/cli/scope.hpp"
#include "module/base/messages.hpp"

namespace host::cli {

namespace {

// Delimiters tried for the blank form, the usual ones first.
constexpr std::string_view kDelimiters = "/|#,;:!@%^&~=+_.-";

bool IsBlankForm(const std::string& text) { return text[0] == ' ' || text[0] == '\t'; }

// The letters of a delimited command: what follows its last field.
std::string_view LettersOf(std::string_view text) {
  const size_t fields = ChangesFiles(text) ? 3 : 2;
  size_t at = 0;
  for (size_t i = 0; i < fields && at != std::string_view::npos; i++)
    at = text.find(text[0], at + 1);
  return at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
}

// The module shows a dialog when the last of d and D is d, and always for
// a rename.
bool AsksForDialog(std::string_view letters) {
  const size_t last = letters.find_last_of("dD");
  const bool rename = letters.find_first_of("nN") != std::string_view::npos;
  return rename || (last != std::string_view::npos && letters[last] == 'd');
}

}  // namespace

int SelectedScopeMessage() { return MScopeSelected; }

std::optional<DialogCommand> CommandWithDialog(const std::string& text, const std::string& mask) {
  if (text.empty()) return DialogCommand{text, false};
  if (!IsBlankForm(text))
    return DialogCommand{text + "d", AsksForDialog(LettersOf(text))};
  const std::string search = text.substr(1);
  for (char delimiter : kDelimiters) {
    if (mask.find(delimiter) != std::string::npos || search.find(delimiter) != std::string::npos)
      continue;
    const std::string d(1, delimiter);
    return DialogCommand{d + mask + d + search + d + "d", false};
  }
  return std::nullopt;
}

bool MarkRadioButton(std::span<FarDialogItem> items, const std::string& label) {
  auto labelled = std::find_if(items.begin(), items.end(), [&](const FarDialogItem& item) {
    return item.Type == DI_RADIOBUTTON &&
           std::string_view(item.Data, strnlen(item.Data, sizeof item.Data)) == label;
  });
  if (labelled == items.end()) return false;
  // The group runs from its DIF_GROUP button over the radio buttons after it.
  auto first = labelled;
  while (first != items.begin() && !(first->Flags & DIF_GROUP) &&
         std::prev(first)->Type == DI_RADIOBUTTON)
    --first;
  for (auto item = first; item != items.end() && item->Type == DI_RADIOBUTTON; ++item) {
    if (item != first && (item->Flags & DIF_GROUP)) break;
    item->Selected = item == labelled;
  }
  return true;
}

}  // namespace host::cli
