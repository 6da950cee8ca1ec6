// Replies that Samba's decoder accepts but that lack what they count or a
// record their status promises: each is encoded, decoded as the client
// decodes it, and must get the invalid-reply status from its check.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

extern "C" {
#include <talloc.h>
// clang-format off
#include <util/data_blob.h>
#include <core/ntstatus.h>
#include <core/error.h>
#include <dcerpc.h>
#include <gen_ndr/ndr_samr.h>
#include <gen_ndr/netlogon.h>
// clang-format on
extern const struct ndr_interface_table ndr_table_netlogon;
}

#include "netapi/samba/rpc_client.h"
#include "netapi/samba/rpc_replies.h"

namespace {

constexpr std::uint32_t kInvalidReply = 0xC00000C3;
constexpr std::uint32_t kBadNetResponse = 58;  // ERROR_BAD_NET_RESP

const ndr_interface_call* FindCall(std::string_view name) {
  for (const ndr_interface_table* table :
       {&ndr_table_samr, &ndr_table_netlogon}) {
    for (std::uint32_t i = 0; i < table->num_calls; ++i) {
      if (name == table->calls[i].name) return &table->calls[i];
    }
  }
  return nullptr;
}

// `sent`'s reply through Samba's encoder, then its decoder as the client
// reads a reply to the same request; the check's status.
template <typename Call>
std::uint32_t Received(TALLOC_CTX* memory, const char* name, const Call& sent,
                       std::uint32_t (*check)(const Call*)) {
  const ndr_interface_call* call = FindCall(name);
  if (call == nullptr) {
    ADD_FAILURE() << name;
    return 0;
  }
  ndr_push* push = ndr_push_init_ctx(memory);
  if (call->ndr_push(push, NDR_OUT, &sent) != NDR_ERR_SUCCESS) {
    ADD_FAILURE() << name << " not encoded";
    return 0;
  }
  const DATA_BLOB blob = ndr_push_blob(push);
  Call received{};
  received.in = sent.in;
  ndr_pull* pull = ndr_pull_init_blob(&blob, memory);
  pull->flags |= LIBNDR_FLAG_REF_ALLOC;
  if (call->ndr_pull(pull, NDR_OUT, &received) != NDR_ERR_SUCCESS) {
    ADD_FAILURE() << name << " not decoded";
    return 0;
  }
  return check(&received);
}

struct Reply {
  const char* shape;
  std::function<std::uint32_t(TALLOC_CTX*)> receive;
  std::uint32_t expected;
};

std::uint32_t ids[3] = {1000, 1001, 1002};
std::uint32_t none = 0;

const Reply kReplies[] = {
    {"a user listing counting 5 with no array",
     [](TALLOC_CTX* m) {
       samr_SamArray array{5, nullptr};
       samr_SamArray* sam = &array;
       samr_EnumDomainUsers r{};
       r.out.resume_handle = &none;
       r.out.sam = &sam;
       r.out.num_entries = &array.count;
       return Received(m, "samr_EnumDomainUsers", r, corvane_reply_enum_users);
     },
     kInvalidReply},
    {"a user's record left out with success",
     [](TALLOC_CTX* m) {
       samr_UserInfo* info = nullptr;
       samr_QueryUserInfo r{};
       r.in.level = UserAllInformation;
       r.out.info = &info;
       return Received(m, "samr_QueryUserInfo", r,
                       corvane_reply_query_user_info);
     },
     kInvalidReply},
    {"a look-up of one name with no ids",
     [](TALLOC_CTX* m) {
       samr_Ids rids{1, nullptr}, types{1, ids};
       samr_LookupNames r{};
       r.in.num_names = 1;
       r.out.rids = &rids;
       r.out.types = &types;
       return Received(m, "samr_LookupNames", r, corvane_reply_lookup_names);
     },
     kInvalidReply},
    {"group members counting 3 with no ids",
     [](TALLOC_CTX* m) {
       samr_RidAttrArray array{3, nullptr, nullptr};
       samr_RidAttrArray* members = &array;
       samr_QueryGroupMember r{};
       r.out.rids = &members;
       return Received(m, "samr_QueryGroupMember", r,
                       corvane_reply_group_members);
     },
     kInvalidReply},
    {"a group's record left out with success",
     [](TALLOC_CTX* m) {
       samr_GroupInfo* info = nullptr;
       samr_QueryGroupInfo r{};
       r.in.level = GROUPINFOALL2;
       r.out.info = &info;
       return Received(m, "samr_QueryGroupInfo", r,
                       corvane_reply_query_group_info);
     },
     kInvalidReply},
    {"domains counted with no array",
     [](TALLOC_CTX* m) {
       samr_SamArray array{2, nullptr};
       samr_SamArray* sam = &array;
       samr_EnumDomains r{};
       r.out.resume_handle = &none;
       r.out.sam = &sam;
       r.out.num_entries = &array.count;
       return Received(m, "samr_EnumDomains", r, corvane_reply_enum_domains);
     },
     kInvalidReply},
    {"a domain with no SID",
     [](TALLOC_CTX* m) {
       dom_sid2* sid = nullptr;
       samr_LookupDomain r{};
       r.out.sid = &sid;
       return Received(m, "samr_LookupDomain", r, corvane_reply_lookup_domain);
     },
     kInvalidReply},
    {"a relative id mapped with no name",
     [](TALLOC_CTX* m) {
       lsa_String unnamed{};
       lsa_Strings names{1, &unnamed};
       samr_Ids types{1, ids};
       samr_LookupRids r{};
       r.in.num_rids = 1;
       r.out.names = &names;
       r.out.types = &types;
       return Received(m, "samr_LookupRids", r, corvane_reply_lookup_rids);
     },
     kInvalidReply},
    {"a user's groups counted with no array",
     [](TALLOC_CTX* m) {
       samr_RidWithAttributeArray array{2, nullptr};
       samr_RidWithAttributeArray* groups = &array;
       samr_GetGroupsForUser r{};
       r.out.rids = &groups;
       return Received(m, "samr_GetGroupsForUser", r,
                       corvane_reply_groups_for_user);
     },
     kInvalidReply},
    {"alias memberships counted with no ids",
     [](TALLOC_CTX* m) {
       samr_Ids aliases{2, nullptr};
       samr_GetAliasMembership r{};
       r.out.rids = &aliases;
       return Received(m, "samr_GetAliasMembership", r,
                       corvane_reply_alias_membership);
     },
     kInvalidReply},
    {"the password policy left out with success",
     [](TALLOC_CTX* m) {
       samr_DomainInfo* info = nullptr;
       samr_QueryDomainInfo r{};
       r.in.level = DomainPasswordInformation;
       r.out.info = &info;
       return Received(m, "samr_QueryDomainInfo", r,
                       corvane_reply_query_domain_info);
     },
     kInvalidReply},
    {"a group listing counting 2 with no array",
     [](TALLOC_CTX* m) {
       samr_DispInfo info{};
       info.info3 = {2, nullptr};
       samr_QueryDisplayInfo2 r{};
       r.in.level = 3;
       r.out.total_size = &none;
       r.out.returned_size = &none;
       r.out.info = &info;
       return Received(m, "samr_QueryDisplayInfo2", r,
                       corvane_reply_display_info);
     },
     kInvalidReply},
    {"a controller's name left out with success",
     [](TALLOC_CTX* m) {
       const char* name = nullptr;
       netr_GetDcName r{};
       r.out.dcname = &name;
       return Received(m, "netr_GetDcName", r, corvane_reply_dc_name);
     },
     kBadNetResponse},
    {"a well-formed name look-up",
     [](TALLOC_CTX* m) {
       samr_Ids rids{1, ids}, types{1, ids};
       samr_LookupNames r{};
       r.in.num_names = 1;
       r.out.rids = &rids;
       r.out.types = &types;
       return Received(m, "samr_LookupNames", r, corvane_reply_lookup_names);
     },
     0},
    {"well-formed group members",
     [](TALLOC_CTX* m) {
       samr_RidAttrArray array{3, ids, ids};
       samr_RidAttrArray* members = &array;
       samr_QueryGroupMember r{};
       r.out.rids = &members;
       return Received(m, "samr_QueryGroupMember", r,
                       corvane_reply_group_members);
     },
     0},
};

TEST(SambaReplies, MalformedRepliesAreRefused) {
  for (const Reply& reply : kReplies) {
    TALLOC_CTX* memory = talloc_new(nullptr);
    EXPECT_EQ(reply.receive(memory), reply.expected) << reply.shape;
    talloc_free(memory);
  }
}

TEST(SambaReplies, InvalidReplyIsANamedPlatformStatus) {
  EXPECT_EQ(corvane_rpc_error_code(kInvalidReply), kBadNetResponse);
}

}  // namespace
