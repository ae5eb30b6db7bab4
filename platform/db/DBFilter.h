// The client-side filter language of datasets: comparisons (= <> < > <= >=),
// [NOT] LIKE with % and _, IS [NOT] NULL, [NOT] IN (...), AND, OR, NOT,
// parentheses, quoted literals with doubled quotes, numbers, TRUE and FALSE.
// Text comparisons are case-sensitive.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/db/DB.h"

namespace db {

class TFilterExpression {
 public:
  struct TFieldRef {
    int Index;
    TFieldType Type;
  };
  using TResolver = std::function<std::optional<TFieldRef>(std::string_view AFieldName)>;

  // Throws EDatabaseError on a syntax error or an unknown field.
  static std::unique_ptr<TFilterExpression> Parse(std::string_view AText,
                                                  const TResolver& AResolve);
  ~TFilterExpression();

  bool Matches(const TRecord& ARecord) const;

  struct TNode;

 private:
  TFilterExpression() = default;
  std::unique_ptr<TNode> FRoot;
};

// SQL LIKE on UTF-8 text: % matches any run of characters, _ one character.
bool LikeMatch(std::string_view AText, std::string_view APattern);

}  // namespace db
