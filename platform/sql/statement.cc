#include "platform/sql/statement.h"

namespace zuna::sql {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A small cursor over a statement: keywords, punctuation and one table name.
class Tokens {
 public:
  explicit Tokens(std::string_view text) : text_(text) {}

  bool Keyword(std::string_view word) {
    SkipBlanks();
    if (text_.size() - pos_ < word.size()) return false;
    if (LowerAscii(text_.substr(pos_, word.size())) != word) return false;
    const std::size_t end = pos_ + word.size();
    if (end < text_.size() && !IsBlank(text_[end]) && text_[end] != '(' && text_[end] != '[' &&
        text_[end] != '*') {
      return false;
    }
    pos_ = end;
    return true;
  }

  bool Punct(char c) {
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  std::optional<std::string> Name() {
    SkipBlanks();
    std::string name;
    if (pos_ < text_.size() && text_[pos_] == '[') {
      for (++pos_; pos_ < text_.size(); ++pos_) {
        if (text_[pos_] != ']') {
          name.push_back(text_[pos_]);
        } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == ']') {
          name.push_back(']');
          ++pos_;
        } else {
          ++pos_;
          return name.empty() ? std::nullopt : std::optional(name);
        }
      }
      return std::nullopt;
    }
    while (pos_ < text_.size() && !IsBlank(text_[pos_]) && text_[pos_] != ';') {
      const char c = text_[pos_++];
      if (c == '(' || c == ')' || c == ',' || c == '\'' || c == '"') return std::nullopt;
      name.push_back(c);
    }
    if (name.empty()) return std::nullopt;
    return name;
  }

  bool AtEnd() {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == ';') ++pos_;
    SkipBlanks();
    return pos_ == text_.size();
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<SimpleSelect> ParseSimpleSelect(std::string_view text) {
  Tokens tokens(text);
  SimpleSelect select;
  if (!tokens.Keyword("select")) return std::nullopt;
  if (tokens.Punct('*')) {
    select.kind = SimpleSelect::Kind::kSelectAll;
  } else if (tokens.Keyword("count") && tokens.Punct('(') && tokens.Punct('*') &&
             tokens.Punct(')')) {
    select.kind = SimpleSelect::Kind::kCount;
  } else {
    return std::nullopt;
  }
  if (!tokens.Keyword("from")) return std::nullopt;
  auto name = tokens.Name();
  if (!name || !tokens.AtEnd()) return std::nullopt;
  select.table = std::move(*name);
  return select;
}

bool IsQuery(std::string_view text) {
  std::size_t pos = 0;
  for (;;) {
    while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == '(')) ++pos;
    if (text.substr(pos, 2) == "--") {
      pos = text.find('\n', pos);
      if (pos == std::string_view::npos) return false;
      continue;
    }
    if (text.substr(pos, 2) == "/*") {
      pos = text.find("*/", pos + 2);
      if (pos == std::string_view::npos) return false;
      pos += 2;
      continue;
    }
    break;
  }
  const std::string head = LowerAscii(text.substr(pos, 6));
  return head == "select" || head.starts_with("with") || head.starts_with("pragma");
}

std::string BracketName(std::string_view name) {
  std::string out = "[";
  for (char c : name) {
    out.push_back(c);
    if (c == ']') out.push_back(']');
  }
  out.push_back(']');
  return out;
}

std::string InsertText(std::string_view table, const std::vector<std::string_view>& columns,
                       std::string (*quote)(std::string_view)) {
  std::string sql = "INSERT INTO " + quote(table);
  if (columns.empty()) return sql + " DEFAULT VALUES";
  std::string names, marks;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    names += (i ? ", " : "") + quote(columns[i]);
    marks += i ? ", ?" : "?";
  }
  return sql + " (" + names + ") VALUES (" + marks + ")";
}

}  // namespace zuna::sql
