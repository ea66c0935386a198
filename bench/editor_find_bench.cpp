// EditorFind through a 1,000,000-line buffer in the host's editor, for a
// text that is nowhere in it: plain text (case ignored) and a pattern, each
// searched line by line and over blocks of five joined lines. The module's
// code runs in this process against the host's own service table and
// editor, just as it does when the host loads it; the counter reports the
// lines searched per second.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "module/match/case_table.hpp"
#include "module/editor/editor_state.hpp"
#include "module/editor/search_engine.hpp"
#include "host/core/editor_buffer.hpp"
#include "host/core/language.hpp"
#include "host/core/panels.hpp"
#include "host/core/screens.hpp"
#include "host/core/services.hpp"
#include "module/base/host_access.hpp"
#include "module/base/settings.hpp"

namespace {

constexpr int kLines = 1000000;

// Answers every box at once, draws nothing, and never has a key waiting.
class QuietUi : public host::Ui {
 public:
  int ShowMessage(const host::MessageBox&) override { return 0; }
  host::MenuChoice ShowMenu(const host::Menu&) override { return {}; }
  int RunDialog(const host::Dialog&) override { return -1; }
  void Text(int, int, int, const char*) override {}
  void SaveScreen(const host::ScreenArea&) override {}
  void RestoreScreen(const host::ScreenArea&) override {}
  bool PeekInput(INPUT_RECORD*) override { return false; }
  bool ReadInput(INPUT_RECORD*) override { return false; }
  void SetTitle(const char*) override {}
};

std::string SourceLikeText() {
  std::string text;
  for (int i = 0; i < kLines; i++)
    text += "  result = Compute(value_" + std::to_string(i) + ", limit);  // step\r\n";
  return text;
}

// One editor and one service routing for every benchmark.
struct EditorInHost {
  QuietUi ui;
  host::Language language;
  host::Panels panels;
  host::Screens screens{ui};
  std::unique_ptr<host::EditorBuffer> editor =
      std::make_unique<host::EditorBuffer>(SourceLikeText());
  host::ServiceRouting routing{host::ServiceTargets{
      .ui = &ui, .language = &language, .panels = &panels, .screens = &screens,
      .editor = &editor}};

  EditorInHost() {
    StartupInfo = host::BuildStartupInfo("C:\\finderix.so");
    BuildOemUpperTable();
    SeveralLines = 5;
  }
};

EditorInHost& Shared() {
  static EditorInHost shared;
  return shared;
}

void EditorFindAbsent(benchmark::State& state, const char* text, int regexp, int several_lines) {
  EditorInHost& host = Shared();
  EText = text;
  ERegExp = regexp;
  ESeveralLine = several_lines;
  ECaseSensitive = 0;
  SearchBackward = 0;
  if (!CompileEditorPattern(EText)) state.SkipWithError("the pattern does not compile");
  for (auto _ : state) {
    host.editor->SetCursor(0, 0);
    if (EditorFind()) state.SkipWithError("found what is not there");
  }
  state.counters["lines/s"] = benchmark::Counter(
      static_cast<double>(kLines) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(EditorFindAbsent, plain_by_line, "Compute(value_x", 0, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditorFindAbsent, pattern_by_line, "value_\\d+x", 1, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditorFindAbsent, plain_joined, "Compute(value_x", 0, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditorFindAbsent, pattern_joined, "value_\\d+x", 1, 1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
