// Compiling and running search patterns on PCRE2.
//
// Every allocation the library makes goes through the module's process-heap
// functions. Compiled code is shared; what a match writes (match data, the
// match context's callout, the JIT stack) belongs to the thread that runs
// it, so the file search's worker threads can match at the same time.
//
// A run that hits a limit is never a silent "no match": it is retried
// without JIT when the JIT stack overflowed, then, when only a yes/no answer
// is wanted, with the DFA matcher and then with the full limit; what is
// still open is "undecided".
#include "module/match/pattern.hpp"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <climits>
#include <memory>
#include <mutex>
#include <cstring>
#include <string>
#include <vector>

#include "module/match/pattern_tables.hpp"
#include "module/base/host_access.hpp"
#include "platform/win32.hpp"

namespace {

// Generous enough for any sane pattern on a long line (a repeated group
// over a line of hundreds of kilobytes), small enough that a catastrophic
// one gives up in about a second and never takes more than a bounded heap.
constexpr uint32_t kMatchLimit = 5'000'000;
// A yes/no question first gets this much: a pattern that backtracks more on
// one subject (nested repeats over a long word) is one the DFA matcher
// mostly answers far sooner; where it cannot, the full limit follows.
constexpr uint32_t kQuickMatchLimit = 20'000;
constexpr uint32_t kDepthLimit = 2'000'000;
constexpr uint32_t kHeapLimitKiB = 256 * 1024;
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 1024 * 1024;
constexpr size_t kCaretLineSize = 512;
constexpr size_t kDfaWorkspaceInts = 16 * 1024;

void* HeapAllocate(PCRE2_SIZE bytes, void*) { return HeapAlloc(GetProcessHeap(), 0, bytes); }
void HeapRelease(void* block, void*) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

// The library contexts every compile uses, released when the module is
// unloaded. Only read once made, so every thread shares them.
class Contexts {
 public:
  Contexts()
      : general_(pcre2_general_context_create(HeapAllocate, HeapRelease, nullptr)),
        compile_(pcre2_compile_context_create(general_)) {
    pcre2_set_character_tables(compile_, PatternCharTables());
    pcre2_set_newline(compile_, PCRE2_NEWLINE_ANYCRLF);
  }
  ~Contexts() {
    pcre2_compile_context_free(compile_);
    pcre2_general_context_free(general_);
  }
  Contexts(const Contexts&) = delete;
  Contexts& operator=(const Contexts&) = delete;

  pcre2_general_context* general() const { return general_; }
  pcre2_compile_context* compile() const { return compile_; }

 private:
  pcre2_general_context* general_;
  pcre2_compile_context* compile_;
};

const Contexts& Library() {
  static const Contexts contexts;
  return contexts;
}

}  // namespace

// What one thread's matches write: the match context (its limits, the
// callout of the run in progress, the JIT stack) and the match data, which
// grows to the most groups a pattern run on the thread has.
class MatchScratch {
 public:
  MatchScratch()
      : context_(pcre2_match_context_create(Library().general())),
        jit_stack_(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, Library().general())) {
    pcre2_set_match_limit(context_, kMatchLimit);
    pcre2_set_depth_limit(context_, kDepthLimit);
    pcre2_set_heap_limit(context_, kHeapLimitKiB);
    pcre2_jit_stack_assign(context_, nullptr, jit_stack_);
    quick_context_ = pcre2_match_context_copy(context_);
    pcre2_set_match_limit(quick_context_, kQuickMatchLimit);
  }
  ~MatchScratch() {
    pcre2_match_data_free(data_);
    pcre2_match_context_free(quick_context_);
    pcre2_jit_stack_free(jit_stack_);
    pcre2_match_context_free(context_);
  }
  MatchScratch(const MatchScratch&) = delete;
  MatchScratch& operator=(const MatchScratch&) = delete;

  pcre2_match_context* context() const { return context_; }
  // The same with the quick match limit.
  pcre2_match_context* quick_context() const { return quick_context_; }

  // Match data with a pair for the whole match and each group of `code`.
  pcre2_match_data* DataFor(const pcre2_code* code) {
    uint32_t groups = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);
    if (!data_ || pcre2_get_ovector_count(data_) < groups + 1) {
      pcre2_match_data_free(data_);
      data_ = pcre2_match_data_create(groups + 1, Library().general());
    }
    return data_;
  }

 private:
  pcre2_match_context* context_;
  pcre2_match_context* quick_context_ = nullptr;
  pcre2_jit_stack* jit_stack_;
  pcre2_match_data* data_ = nullptr;
};

namespace {

thread_local MatchScratch* ThreadScratch = nullptr;  // set by a PatternThreadScope

// The calling thread's scratch: its scope's, or else the host thread's.
MatchScratch& Scratch() {
  if (ThreadScratch) return *ThreadScratch;
  static MatchScratch host_thread;
  return host_thread;
}

void ShowPatternError(const char* text, int error_code, PCRE2_SIZE error_offset) {
  PCRE2_UCHAR message[256];
  if (pcre2_get_error_message(error_code, message, sizeof message) < 0)
    std::strcpy(reinterpret_cast<char*>(message), "unknown error");
  // The caret line holds at most 510 spaces; a later offset is shown at the
  // right edge rather than not at all.
  size_t spaces = error_offset < kCaretLineSize - 2 ? error_offset : kCaretLineSize - 2;
  std::string caret(spaces, ' ');
  caret += '^';
  const char* items[] = {"RegExp error", reinterpret_cast<const char*>(message), "\x01", text,
                         caret.c_str(), GetMsg(0)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, "RegExpError", items, 6, 1);
}

uint32_t MatchOptions(int options) {
  uint32_t match_options = (options & kPatternNotBol) ? PCRE2_NOTBOL : 0;
  if (options & kPatternNotEol) match_options |= PCRE2_NOTEOL;
  if (options & kPatternNotEmptyAtStart) match_options |= PCRE2_NOTEMPTY_ATSTART;
  if (options & kPatternAnchored) match_options |= PCRE2_ANCHORED;
  return match_options;
}

bool HitLimit(int rc) {
  return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
         rc == PCRE2_ERROR_HEAPLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT ||
         rc == PCRE2_ERROR_NOMEMORY;
}

// Where a bounded run's matches must end. The automatic callouts come
// before every item, look-aheads included; only the one at the pattern's
// end sees a whole match.
struct EndBound {
  size_t pattern_end;
  size_t end_limit;
};

int RejectLateEnd(pcre2_callout_block* block, void* data) {
  const auto* bound = static_cast<const EndBound*>(data);
  if (block->pattern_position != bound->pattern_end) return 0;
  return block->current_position > bound->end_limit ? 1 : 0;  // 1: backtrack
}

// One subject and the way it is run; the callout is set for every run, as
// the thread's match context serves every pattern.
struct Run {
  PCRE2_SPTR subject;
  size_t length;
  size_t start;
  uint32_t options;
  pcre2_match_data* match_data;
  pcre2_match_context* context;  // the running thread's
  const EndBound* bound;         // null: a match may end anywhere

  void SetCallout() const {
    pcre2_set_callout(context, bound ? RejectLateEnd : nullptr, const_cast<EndBound*>(bound));
  }

  int Backtracking(const pcre2_code* code, bool jit) const {
    SetCallout();
    int rc = pcre2_match(code, subject, length, start, options | (jit ? 0 : PCRE2_NO_JIT),
                         match_data, context);
    if (jit && rc == PCRE2_ERROR_JIT_STACKLIMIT)
      rc = pcre2_match(code, subject, length, start, options | PCRE2_NO_JIT, match_data, context);
    return rc;
  }

  // The DFA matcher keeps every alternative at once instead of
  // backtracking; it gives no groups, and some items it cannot run.
  int Dfa(const pcre2_code* code) const {
    SetCallout();
    std::vector<int> workspace(kDfaWorkspaceInts);
    int rc = pcre2_dfa_match(code, subject, length, start, options, match_data, context,
                             workspace.data(), workspace.size());
    return rc == 0 ? 1 : rc;  // 0: more matches than the offsets hold
  }
};

// The literal start of the pattern, else the code unit the library found
// that every match starts with or holds. An inline option anywhere may make
// that unit caseless, so it is then looked for in either case.
RequiredLiteral FindRequired(const pcre2_code* code, const std::string& text, uint32_t options) {
  const bool caseless = (options & PCRE2_CASELESS) != 0;
  std::string prefix = LiteralPrefix(text, caseless);
  if (!prefix.empty()) return {prefix, caseless};
  uint32_t type = 0, unit = 0;
  pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODETYPE, &type);
  if (type == 1) {
    pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODEUNIT, &unit);
  } else {
    pcre2_pattern_info(code, PCRE2_INFO_LASTCODETYPE, &type);
    if (type == 1) pcre2_pattern_info(code, PCRE2_INFO_LASTCODEUNIT, &unit);
  }
  const bool unit_caseless = caseless || text.find("(?") != std::string::npos;
  if (type != 1 || unit == '\r' || unit == '\n' || (unit_caseless && unit >= 0x80)) return {};
  return {std::string(1, static_cast<char>(unit)), unit_caseless};
}

}  // namespace

void SearchPattern::CodeDeleter::operator()(pcre2_code* code) const { pcre2_code_free(code); }

PatternThreadScope::PatternThreadScope() : scratch_(std::make_unique<MatchScratch>()) {
  ThreadScratch = scratch_.get();
}

PatternThreadScope::~PatternThreadScope() { ThreadScratch = nullptr; }

int SearchPattern::CaptureCount() const {
  uint32_t count = 0;
  if (code_) pcre2_pattern_info(code_.get(), PCRE2_INFO_CAPTURECOUNT, &count);
  return static_cast<int>(count);
}

void SearchPattern::Release() {
  code_.reset();
  bounded_.reset();
  studied_ = false;
  text_.clear();
  required_ = {};
}

int CompilePattern(SearchPattern& pattern, const char* text, int case_sensitive, bool study) {
  if (text == nullptr || *text == '\0') return 1;

  uint32_t options = PCRE2_MULTILINE;
  if (!case_sensitive) options |= PCRE2_CASELESS;
  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  pattern.Release();
  pattern.code_.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text), PCRE2_ZERO_TERMINATED,
                                    options, &error_code, &error_offset, Library().compile()));
  if (!pattern.code_) {
    ShowPatternError(text, error_code, error_offset);
    return 0;
  }
  pattern.bounded_ = std::make_unique<SearchPattern::BoundedCode>();
  if (study) pattern.studied_ = pcre2_jit_compile(pattern.code_.get(), PCRE2_JIT_COMPLETE) == 0;
  pattern.text_ = text;
  pattern.options_ = options;
  pattern.required_ = FindRequired(pattern.code_.get(), pattern.text_, options);
  return 1;
}

namespace {

// The pattern with a callout before every item and at its end.
pcre2_code* CompileBounded(const std::string& text, uint32_t options) {
  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.c_str()), text.size(),
                       options | PCRE2_AUTO_CALLOUT, &error_code, &error_offset,
                       Library().compile());
}

// A match first, with the plain code; only a match that ends too late is
// looked for again with the end checked, which is slower. (The first match
// of the plain code that ends in time is also the bounded code's first.)
int RunBacktracking(const Run& run, const pcre2_code* code, bool jit,
                    const pcre2_code* bounded_code) {
  int rc = run.Backtracking(code, jit);
  if (rc <= 0 || !run.bound) return rc;
  if (pcre2_get_ovector_pointer(run.match_data)[1] <= run.bound->end_limit) return rc;
  return bounded_code ? run.Backtracking(bounded_code, false) : PCRE2_ERROR_NOMEMORY;
}

// A yes/no answer: backtracking within the quick limit, then the DFA
// matcher, then backtracking within the full limit.
int AnswerYesNo(const Run& run, const pcre2_code* code, bool jit, const pcre2_code* bounded_code,
                pcre2_match_context* quick_context) {
  Run quick_run = run;
  quick_run.context = quick_context;
  const int quick = RunBacktracking(quick_run, code, jit, bounded_code);
  if (!HitLimit(quick)) return quick;
  const pcre2_code* dfa_code = run.bound ? bounded_code : code;
  const int dfa = dfa_code ? run.Dfa(dfa_code) : quick;
  if (dfa > 0 || dfa == PCRE2_ERROR_NOMATCH) return dfa;
  return RunBacktracking(run, code, jit, bounded_code);
}

}  // namespace

int RunPattern(const SearchPattern& pattern, const char* subject, size_t length, size_t start,
               int options, int* offsets, int offsets_size) {
  return RunPatternWithin(pattern, subject, length, start, length, options, offsets, offsets_size);
}

int RunPatternWithin(const SearchPattern& pattern, const char* subject, size_t length,
                     size_t start, size_t end_limit, int options, int* offsets, int offsets_size) {
  if (!pattern.code_ || start > length) return kPatternNoMatch;
  const bool bounded = end_limit < length;
  const pcre2_code* bounded_code = nullptr;
  if (bounded) {
    SearchPattern::BoundedCode& lazy = *pattern.bounded_;
    std::call_once(lazy.compiled,
                   [&] { lazy.code.reset(CompileBounded(pattern.text_, pattern.options_)); });
    bounded_code = lazy.code.get();
  }
  const EndBound bound{pattern.text_.size(), end_limit};
  MatchScratch& scratch = Scratch();
  pcre2_match_data* match_data = scratch.DataFor(pattern.code_.get());
  const Run run{reinterpret_cast<PCRE2_SPTR>(subject), length, start, MatchOptions(options),
                match_data, scratch.context(), bounded ? &bound : nullptr};
  const int rc = offsets_size == 0
                     ? AnswerYesNo(run, pattern.code_.get(), pattern.studied_, bounded_code,
                                   scratch.quick_context())
                     : RunBacktracking(run, pattern.code_.get(), pattern.studied_, bounded_code);
  if (HitLimit(rc)) return kPatternUndecided;
  if (rc < 0) return kPatternNoMatch;

  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match_data);
  const int pairs = static_cast<int>(pcre2_get_ovector_count(match_data));
  if (offsets_size > 0 && ovector[1] > INT_MAX) return kPatternBeyondOffsets;
  for (int i = 0; i < offsets_size / 3; i++) {
    bool set = i < rc && i < pairs && ovector[2 * i] != PCRE2_UNSET;
    offsets[2 * i] = set ? static_cast<int>(ovector[2 * i]) : -1;
    offsets[2 * i + 1] = set ? static_cast<int>(ovector[2 * i + 1]) : -1;
  }
  return rc;
}
