// Folder listing and folder resolution for the file panels.
#include "host/core/folder_listing.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <tuple>

namespace host {

namespace {

struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

bool IsDirectory(const WIN32_FIND_DATAA& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool IsAbsolute(const std::string& path) {
  bool drive = path.size() >= 2 && path[1] == ':';
  return drive || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

std::string WithoutTrailingSeparator(std::string folder) {
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

// Folders first, then by name without regard to ASCII case, then by bytes
// so that the order is total.
bool ListedBefore(const PluginPanelItem& a, const PluginPanelItem& b) {
  auto key = [](const PluginPanelItem& item) {
    std::string folded = item.FindData.cFileName;
    std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return std::make_tuple(!IsDirectory(item.FindData), folded,
                           std::string(item.FindData.cFileName));
  };
  return key(a) < key(b);
}

std::string SearchPattern(const std::string& folder) {
  return IsRootFolder(folder) ? folder + "*" : folder + "\\*";
}

}  // namespace

bool IsRootFolder(const std::string& folder) {
  return folder.size() <= 3 && folder.size() >= 2 && folder[1] == ':';
}

std::optional<std::string> ResolveFolder(const std::string& base, const std::string& request) {
  if (request.empty()) return std::nullopt;
  std::string joined = IsAbsolute(request) ? request
                       : IsRootFolder(base) ? base + request
                                            : base + "\\" + request;
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(joined.c_str(), sizeof(full), full, nullptr);
  if (length == 0 || length >= sizeof(full)) return std::nullopt;
  DWORD attributes = GetFileAttributesA(full);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return WithoutTrailingSeparator(full);
}

PluginPanelItem ParentItem() {
  PluginPanelItem item{};
  item.FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
  std::strcpy(item.FindData.cFileName, "..");
  return item;
}

bool IsParentItem(const PluginPanelItem& item) {
  return std::strcmp(item.FindData.cFileName, "..") == 0;
}

bool ListFolder(const std::string& folder, std::vector<PluginPanelItem>* items) {
  std::vector<PluginPanelItem> entries;
  WIN32_FIND_DATAA data;
  HANDLE first = FindFirstFileA(SearchPattern(folder).c_str(), &data);
  if (first != INVALID_HANDLE_VALUE) {
    FindHandle find(first);
    do {
      if (IsDotEntry(data.cFileName)) continue;
      PluginPanelItem item{};
      item.FindData = data;
      entries.push_back(item);
    } while (FindNextFileA(find.get(), &data));
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;  // an empty folder finds nothing; anything else is a failure
  }
  std::sort(entries.begin(), entries.end(), ListedBefore);
  items->clear();
  if (!IsRootFolder(folder)) items->push_back(ParentItem());
  items->insert(items->end(), entries.begin(), entries.end());
  return true;
}

}  // namespace host
