#include "automation/text.h"

namespace corvane::automation {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

template <typename Out>
void AppendUtf8(Out& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

template <typename Out>
void AppendUtf16(Out& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 | (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
  }
}

// Decodes one UTF-8 sequence at `pos`; returns nothing for a malformed one.
std::optional<char32_t> DecodeUtf8(std::string_view text, size_t& pos) {
  const auto byte = [&](size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  const unsigned char lead = byte(pos);
  int extra;
  char32_t c;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    c = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (pos + extra >= text.size()) {
    return std::nullopt;
  }
  for (int i = 1; i <= extra; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    return std::nullopt;
  }
  pos += extra + 1;
  return c;
}

// UTF-16 to UTF-8 into `out`; an unpaired surrogate becomes U+FFFD, or
// makes the conversion fail when `strict`.
template <typename Out>
bool Utf16ToUtf8(std::u16string_view text, bool strict, Out& out) {
  out.reserve(text.size() * 3);  // the most it can take: never moved
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      if (strict) return false;
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return true;
}

// Valid UTF-8 into `out`; false for anything else.
template <typename Out>
bool Utf8ToUtf16(std::string_view text, Out& out) {
  out.reserve(text.size());  // the most it can take: never moved
  size_t pos = 0;
  while (pos < text.size()) {
    const auto c = DecodeUtf8(text, pos);
    if (!c) return false;
    AppendUtf16(out, *c);
  }
  return true;
}

// Secrets reserve with their own name.
template <typename SecretText>
struct SecretSink {
  void reserve(size_t count) { secret.Reserve(count); }
  void push_back(auto c) { secret.push_back(c); }
  SecretText& secret;
};

char FoldAscii(char32_t c) {
  return static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  Utf16ToUtf8(text, false, out);
  return out;
}

std::optional<std::string> ToUtf8Strict(std::u16string_view text) {
  std::string out;
  if (!Utf16ToUtf8(text, true, out)) return std::nullopt;
  return out;
}

std::optional<SecretUtf8> ToUtf8Secret(std::u16string_view text) {
  SecretUtf8 out;
  SecretSink<SecretUtf8> sink{out};
  if (!Utf16ToUtf8(text, true, sink)) return std::nullopt;
  return out;
}

std::optional<Secret> FromUtf8Secret(std::string_view text) {
  Secret out;
  SecretSink<Secret> sink{out};
  if (!Utf8ToUtf16(text, sink)) return std::nullopt;
  return out;
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(static_cast<unsigned char>(a[i])) !=
        FoldAscii(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    // Only ASCII letters fold; any other unit is not compared to a byte.
    if (a[i] > 0x7F ||
        FoldAscii(a[i]) != FoldAscii(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<std::u16string> FromUtf8(std::string_view text) {
  std::u16string out;
  if (!Utf8ToUtf16(text, out)) return std::nullopt;
  return out;
}

namespace {

// Characters that are no control to UTF-8 but move, reorder or break what a
// terminal shows: C1 controls (U+009B is CSI), bidirectional marks,
// embeddings, overrides and isolates, and the line and paragraph separators.
bool IsLayoutCharacter(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E ||
         c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string EscapeControls(std::string_view text, std::size_t max_bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  static constexpr std::string_view kEllipsis = "\u2026";
  std::string line;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t next = i;
    const std::optional<char32_t> c = DecodeUtf8(text, next);
    std::string piece;
    if (!c || *c < 0x20 || *c == 0x7F) {
      // A control, or a byte that is not UTF-8 (an 8-bit terminal may take
      // it for a C1 control).
      piece = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
      next = i + 1;
    } else if (IsLayoutCharacter(*c)) {
      piece = {'\\',
               'u',
               kHex[(*c >> 12) & 0xF],
               kHex[(*c >> 8) & 0xF],
               kHex[(*c >> 4) & 0xF],
               kHex[*c & 0xF]};
    } else {
      // A whole UTF-8 sequence at once, so that a cut never splits one.
      piece.assign(text.substr(i, next - i));
    }
    if (max_bytes != std::string::npos &&
        line.size() + piece.size() > max_bytes) {
      return line + std::string(kEllipsis);
    }
    line += piece;
    i = next;
  }
  return line;
}

std::u16string Widen(std::string_view text) {
  std::u16string out;
  size_t pos = 0;
  while (pos < text.size()) {
    const auto c = DecodeUtf8(text, pos);
    if (c) {
      AppendUtf16(out, *c);
    } else {
      AppendUtf16(out, kReplacement);
      ++pos;
    }
  }
  return out;
}

}  // namespace corvane::automation
