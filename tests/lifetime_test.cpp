// The object graph's lifetime: releasing the client's last reference to a
// domain and to every child taken from it destroys the whole graph and
// writes the end message; a child a client still holds keeps a usable owner.
#include "tests/fixture.h"

namespace corvane::testing {
namespace {

class LifetimeTest : public ClientTest {
 protected:
  bool Ended() const {
    return !events().empty() &&
           events().back().find(u"terminating") != std::u16string::npos;
  }
};

TEST_F(LifetimeTest, ReleasingTheDomainEndsTheGraph) {
  ObjectRef domain = factory_.CreateObject(u"Corvane.NTDomain");
  std::weak_ptr<automation::Dispatchable> users = Object(domain, u"Users");
  std::weak_ptr<automation::Dispatchable> groups = Object(domain, u"Groups");
  domain.reset();
  EXPECT_TRUE(Ended());
  EXPECT_TRUE(users.expired());
  EXPECT_TRUE(groups.expired());
}

TEST_F(LifetimeTest, AHeldChildKeepsAUsableOwner) {
  ObjectRef domain = factory_.CreateObject(u"Corvane.NTDomain");
  Put(domain, u"sDomain", u"CORVANE");
  ObjectRef users = Object(domain, u"Users");
  domain.reset();
  EXPECT_FALSE(Ended());

  Put(users, u"sUserName", u"bob");
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Text(users, u"sFullName"), u"Bob Baker");
  ObjectRef owner = Object(users, u"oParent");
  EXPECT_EQ(Text(owner, u"sDC"), u"\\\\DC1");
  owner.reset();
  users.reset();
  EXPECT_TRUE(Ended());
}

TEST_F(LifetimeTest, AGroupsUserObjectOutlivesItsReplacementAndTheDomain) {
  ObjectRef domain = factory_.CreateObject(u"Corvane.NTDomain");
  Put(domain, u"sDomain", u"CORVANE");
  ObjectRef groups = Object(domain, u"Groups");
  Put(groups, u"sGroupName", u"Sales");
  ObjectRef members = Object(groups, u"Users");
  Put(groups, u"sGroupName", u"Domain Users");  // replaces the group's users
  EXPECT_NE(Object(groups, u"Users").get(), members.get());
  groups.reset();
  domain.reset();
  EXPECT_FALSE(Ended());

  const auto names = Enumerate(members);  // the group selected now
  EXPECT_EQ(names.size(), 5u);
  EXPECT_EQ(Text(Object(members, u"oParent"), u"sGroupName"), u"Domain Users");
  members.reset();
  EXPECT_TRUE(Ended());
}

}  // namespace
}  // namespace corvane::testing
