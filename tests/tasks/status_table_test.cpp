// The table of statuses: ordered, one entry a number, found in every form
// of result text, and agreeing with Samba's own texts where Samba has one.
#include "tasks/status_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

#ifdef CORVANE_WITH_SAMBA
#include <netapi.h>
#include <talloc.h>
#endif

namespace corvane::tasks {
namespace {

TEST(StatusTable, EveryStatusOnceWithNameAndMeaning) {
  std::set<std::int32_t> numbers;
  for (const StatusInfo& info : AllStatuses()) {
    EXPECT_TRUE(numbers.insert(info.number).second) << info.number;
    EXPECT_FALSE(info.name.empty());
    EXPECT_FALSE(info.meaning.empty());
    EXPECT_EQ(FindStatus(info.number), &info) << info.number;
  }
  for (const std::int32_t returned :
       {0,    5,    8,    53,   58,   87,   122,  124,  234,
        1113, 1168, 1316, 1317, 1318, 1319, 1320, 1332, 1358,
        2202, 2220, 2221, 2223, 2224, 2236, 2237, 2245, 2453}) {
    EXPECT_NE(FindStatus(returned), nullptr) << returned;
  }
  EXPECT_EQ(FindStatus(2222), nullptr);
  EXPECT_EQ(FindStatus(2223)->name, "NERR_GroupExists");
  EXPECT_EQ(FindStatus(2223)->meaning, "the group already exists");
}

TEST(StatusTable, StatusFoundInEveryResultForm) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"ERROR 2223 in parameter 0 when adding group Sales", 2223},
      {"ERROR 234 enumerating user 3 of 9", 234},
      {"ERROR -5 enumerating group 0 of 0", -5},
      {"ERROR - Unable to delete group (error #2220)", 2220},
      {"ERROR 2220 enumerating user 0 of 0\r\nThere is no **GLOBAL** group "
       "'x'",
       2220},
      {"ERROR - No group specified", std::nullopt},
      {"ERROR - Unable to find (error #5) x", std::nullopt},
      {"SUCCESS", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, status] : cases) {
    EXPECT_EQ(StatusInText(text), status) << text;
  }
}

#ifdef CORVANE_WITH_SAMBA
// Compared in lower case, without a full stop.
std::string Plain(std::string_view view) {
  std::string text(view);
  for (char& c : text) c = static_cast<char>(std::tolower(c));
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

TEST(StatusTable, MeaningsAreSambasWhereSambaKnowsTheStatus) {
  // Shortened or made fit for these commands on purpose.
  const std::set<std::int32_t> own = {87, 1320, 1327, 1358, 2245};
  for (const StatusInfo& info : AllStatuses()) {
    // A copy on Samba's talloc stack, freed here as no frame takes it.
    const char* text =
        libnetapi_errstr(static_cast<NET_API_STATUS>(info.number));
    const std::string samba = text;
    talloc_free(const_cast<char*>(text));
    SCOPED_TRACE(info.name);
    EXPECT_EQ(samba.rfind("DOS code", 0), std::string::npos);
    if (own.count(info.number) != 0) continue;
    EXPECT_EQ(Plain(info.meaning), Plain(samba));
  }
}
#endif

}  // namespace
}  // namespace corvane::tasks
