// The built module's dynamic symbol table, read from the file itself: the
// ten entry points and no other defined symbol, weak ones included, so the
// host cannot bind to anything else the module happens to contain.
#include <elf.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<char> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<char> image(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  if (!in.read(image.data(), static_cast<std::streamsize>(image.size()))) return {};
  return image;
}

template <typename T>
const T* At(const std::vector<char>& image, size_t offset, size_t count = 1) {
  if (offset > image.size() || count * sizeof(T) > image.size() - offset) return nullptr;
  return reinterpret_cast<const T*>(image.data() + offset);
}

// Every symbol of .dynsym that the module defines (global, weak or unique);
// an empty set with a failure when the file is no 64-bit ELF object.
std::set<std::string> DefinedDynamicSymbols(const std::vector<char>& image) {
  std::set<std::string> names;
  const auto* header = At<Elf64_Ehdr>(image, 0);
  if (!header || std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 ||
      header->e_ident[EI_CLASS] != ELFCLASS64) {
    ADD_FAILURE() << "not a 64-bit ELF object";
    return names;
  }
  const auto* sections = At<Elf64_Shdr>(image, header->e_shoff, header->e_shnum);
  if (!sections) {
    ADD_FAILURE() << "section table out of the file";
    return names;
  }
  for (size_t i = 0; i < header->e_shnum; ++i) {
    const Elf64_Shdr& table = sections[i];
    if (table.sh_type != SHT_DYNSYM || table.sh_link >= header->e_shnum) continue;
    const Elf64_Shdr& strings = sections[table.sh_link];
    const size_t count = table.sh_size / sizeof(Elf64_Sym);
    const auto* symbols = At<Elf64_Sym>(image, table.sh_offset, count);
    if (!symbols || !At<char>(image, strings.sh_offset, strings.sh_size)) {
      ADD_FAILURE() << "symbol table out of the file";
      return names;
    }
    for (size_t s = 0; s < count; ++s) {
      const Elf64_Sym& symbol = symbols[s];
      if (symbol.st_shndx == SHN_UNDEF || ELF64_ST_BIND(symbol.st_info) == STB_LOCAL) continue;
      if (symbol.st_name >= strings.sh_size) continue;
      const char* name = image.data() + strings.sh_offset + symbol.st_name;
      names.insert(std::string(name, strnlen(name, strings.sh_size - symbol.st_name)));
    }
  }
  return names;
}

TEST(Exports, ModuleDefinesExactlyItsTenEntryPoints) {
  const std::vector<char> image = ReadFile(FINDERIX_MODULE_PATH);
  ASSERT_FALSE(image.empty()) << FINDERIX_MODULE_PATH;
  const std::set<std::string> expected = {
      "SetStartupInfo",    "GetPluginInfo", "OpenPlugin",   "Configure",  "ExitFAR",
      "GetOpenPluginInfo", "GetFindData",   "SetDirectory", "ProcessKey", "ClosePlugin"};
  EXPECT_EQ(DefinedDynamicSymbols(image), expected);
}

}  // namespace
