#include "startup/batch_request.h"

#include <gtest/gtest.h>

using vestok::ParseBatchRequest;

TEST(BatchRequest, KeywordsMatchInAnyLetterCase) {
  auto r = ParseBatchRequest({"load", "a", "items.csv"});
  EXPECT_TRUE(r.BatchMode);
  EXPECT_FALSE(r.BatchSave);
  EXPECT_EQ(r.BatchVariant, 0);
  EXPECT_EQ(r.BatchFileName, "items.csv");
  r = ParseBatchRequest({"SaVe", "s", "sub/My Sales.csv"});
  EXPECT_TRUE(r.BatchMode);
  EXPECT_TRUE(r.BatchSave);
  EXPECT_EQ(r.BatchVariant, 1);
  EXPECT_EQ(r.BatchFileName, "sub/My Sales.csv");  // unchanged, blanks and case kept
}

TEST(BatchRequest, AnythingElseStartsInteractively) {
  EXPECT_FALSE(ParseBatchRequest({}).BatchMode);
  EXPECT_FALSE(ParseBatchRequest({"LOAD", "A"}).BatchMode);
  EXPECT_FALSE(ParseBatchRequest({"LOAD", "A", "f.csv", "extra"}).BatchMode);
  EXPECT_FALSE(ParseBatchRequest({"LOADS", "A", "f.csv"}).BatchMode);
  EXPECT_FALSE(ParseBatchRequest({"LOA", "A", "f.csv"}).BatchMode);
  EXPECT_FALSE(ParseBatchRequest({" LOAD", "A", "f.csv"}).BatchMode);
  EXPECT_FALSE(ParseBatchRequest({"SAVE", "B", "f.csv"}).BatchMode);
  EXPECT_FALSE(ParseBatchRequest({"SAVE", "AS", "f.csv"}).BatchMode);
  EXPECT_FALSE(ParseBatchRequest({"SAVE", "a ", "f.csv"}).BatchMode);
}
