// Decoding the four-answer questions: the buttons everywhere, and what Esc
// means at each question.
#include "module/base/question.hpp"

#include <gtest/gtest.h>

TEST(Question, ButtonsDecodeAlikeAndEscSkipsOnlyAtTheFileReplaceQuestions) {
  const struct {
    Question question;
    Answer esc;
  } rows[] = {
      {Question::kProcessFile, Answer::kSkip},
      {Question::kReplaceInFile, Answer::kSkip},
      {Question::kRename, Answer::kStop},
      {Question::kReplaceInEditor, Answer::kStop},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.question));
    EXPECT_EQ(DecodeAnswer(row.question, 0), Answer::kYes);
    EXPECT_EQ(DecodeAnswer(row.question, 1), Answer::kAll);
    EXPECT_EQ(DecodeAnswer(row.question, 2), Answer::kSkip);
    EXPECT_EQ(DecodeAnswer(row.question, 3), Answer::kStop);
    for (int esc : {-1, -2, 4}) EXPECT_EQ(DecodeAnswer(row.question, esc), row.esc);
  }
}
