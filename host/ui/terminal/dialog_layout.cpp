// Dialog placement and item geometry.
#include "host/ui/terminal/dialog_layout.hpp"

#include <algorithm>

#include "host/ui/terminal/oem_text.hpp"

namespace host::tui {

namespace {

int LabelWidth(const FarDialogItem& item) {
  return static_cast<int>(ParseLabel(item.Data, item.Flags & DIF_SHOWAMPERSAND).text.size());
}

bool IsBox(const FarDialogItem& item) {
  return item.Type == DI_SINGLEBOX || item.Type == DI_DOUBLEBOX;
}

// The frame separators join: the first box, or the dialog's usual margins.
std::pair<int, int> SeparatorSpan(std::span<const FarDialogItem> items, int dialog_width) {
  for (const FarDialogItem& item : items) {
    if (IsBox(item)) return {item.X1, item.X2};
  }
  return {3, dialog_width - 4};
}

int WidthOf(const FarDialogItem& item) {
  switch (item.Type) {
    case DI_EDIT:
    case DI_PSWEDIT:
    case DI_FIXEDIT: return std::max(item.X2 - item.X1 + 1, 1);
    case DI_BUTTON: return ButtonWidth(item);
    case DI_CHECKBOX:
    case DI_RADIOBUTTON: return 4 + LabelWidth(item);
    default: return LabelWidth(item);
  }
}

bool InCentreGroup(const FarDialogItem& item) {
  return (item.Flags & DIF_CENTERGROUP) && item.Type != DI_SINGLEBOX &&
         item.Type != DI_DOUBLEBOX;
}

void CentreGroups(std::span<const FarDialogItem> items, int dialog_width,
                  std::vector<Rect>& places) {
  size_t i = 0;
  while (i < items.size()) {
    if (!InCentreGroup(items[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    int total = -1;
    while (end < items.size() && InCentreGroup(items[end]) && items[end].Y1 == items[i].Y1) {
      total += places[end].width + 1;
      ++end;
    }
    int x = std::max((dialog_width - total) / 2, 0);
    for (size_t k = i; k < end; ++k) {
      places[k].x = x;
      x += places[k].width + 1;
    }
    i = end;
  }
}

}  // namespace

Rect PlaceDialog(int x1, int y1, int x2, int y2, int screen_width, int screen_height) {
  Rect rect;
  rect.width = x1 < 0 ? x2 : x2 - x1 + 1;
  rect.height = y1 < 0 ? y2 : y2 - y1 + 1;
  rect.width = std::max(rect.width, 1);
  rect.height = std::max(rect.height, 1);
  rect.x = x1 < 0 ? (screen_width - rect.width) / 2 : x1;
  rect.y = y1 < 0 ? (screen_height - rect.height) / 2 : y1;
  // A dialog that does not fit keeps its top-left corner on the screen.
  rect.x = std::max(std::min(rect.x, screen_width - rect.width), 0);
  rect.y = std::max(std::min(rect.y, screen_height - rect.height), 0);
  return rect;
}

int ButtonWidth(const FarDialogItem& item) {
  return LabelWidth(item) + ((item.Flags & DIF_NOBRACKETS) ? 0 : 4);
}

bool IsSeparator(const FarDialogItem& item) {
  return (item.Type == DI_TEXT || item.Type == DI_VTEXT) && (item.Flags & DIF_SEPARATOR);
}

bool IsEdit(const FarDialogItem& item) {
  return item.Type == DI_EDIT || item.Type == DI_FIXEDIT || item.Type == DI_PSWEDIT;
}

bool IsFocusable(const FarDialogItem& item) {
  return IsEdit(item) || item.Type == DI_BUTTON || item.Type == DI_CHECKBOX ||
         item.Type == DI_RADIOBUTTON;
}

std::vector<Rect> PlaceItems(std::span<const FarDialogItem> items, int dialog_width) {
  std::vector<Rect> places;
  places.reserve(items.size());
  auto [separator_left, separator_right] = SeparatorSpan(items, dialog_width);
  for (const FarDialogItem& item : items) {
    if (IsBox(item)) {
      places.push_back(Rect{item.X1, item.Y1, item.X2 - item.X1 + 1, item.Y2 - item.Y1 + 1});
    } else if (IsSeparator(item)) {
      places.push_back(Rect{separator_left, item.Y1, separator_right - separator_left + 1, 1});
    } else {
      int width = WidthOf(item);
      // A text keeps a column clear of the frame on each side.
      if (item.Type == DI_TEXT) width = std::min(width, separator_right - separator_left - 3);
      int x = item.X1 < 0 ? (dialog_width - width) / 2 : item.X1;
      if (item.Type == DI_TEXT) width = std::max(std::min(width, separator_right - 1 - x), 1);
      places.push_back(Rect{x, item.Y1, width, 1});
    }
  }
  CentreGroups(items, dialog_width, places);
  return places;
}

}  // namespace host::tui
