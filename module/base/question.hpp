// The module's four-answer questions (yes / all / skip / stop): the file
// question, the replace questions of the file replace and of the editor,
// and the rename question. Their buttons come in that order everywhere,
// and the host's answer is decoded here only.
#pragma once

enum class Answer { kYes, kAll, kSkip, kStop };

enum class Question { kProcessFile, kReplaceInFile, kRename, kReplaceInEditor };

// The answer for the position of the closing button (0 yes, 1 all, 2 skip,
// 3 stop); anything else is Esc, whose meaning depends on the question.
Answer DecodeAnswer(Question question, int button);

// What the file commands do with an answer: true to go on for Yes and All
// (All also sets *all); false for Skip, and for Stop, which also ends the
// command through CurrentRun.interrupted.
bool FollowAnswer(Answer answer, bool* all);

// Shows a question as a host message box whose last four items are the
// buttons, and decodes the answer.
Answer AskQuestion(Question question, const char* help_topic, const char* const* items,
                   int count);
