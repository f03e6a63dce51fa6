// TILOCONF_varload_merge and _overwrite: which entries are the same, what is kept, replaced or
// added.
#include <cstring>
#include <string>

#include "RecordBuilder.h"

namespace orn::test {
namespace {

class ConfigMergeTest : public IsolatedTest {
 protected:
  // Saves source as a file and merges that file into target.
  uint16_t MergeFile(Record& target, const ConfigRecord& source, bool overwrite) {
    const std::string path = Scratch() / "merge.cfg";
    EXPECT_EQ(TILOCONF_varsave(path.c_str(), &source), 0);
    return overwrite ? TILOCONF_varload_overwrite(path.c_str(), target.get())
                     : TILOCONF_varload_merge(path.c_str(), target.get());
  }

  // Installed: anna, bob; team@ and bob@; provider "Arcor"; one account; sections firewall, dns.
  static void FillInstalled(ConfigRecord* r) {
    AddUser(r, "anna", "a1");
    AddUser(r, "bob", "b1");
    AddAddress(r, TILOCONF_ADDR_LIST, "team@example.org", {"anna"});
    AddAddress(r, TILOCONF_ADDR_MAILBOX, "bob@example.org", {"bob"});
    AddProvider(r, "Arcor", "p1");
    AddAccount(r, "pop.example.net", "Info", "m1", nullptr);
    AddSection(r, "firewall", "old firewall\n");
    AddSection(r, "dns", "old dns\n");
  }

  // Imported: BOB, carl, dora (and carl again); TEAM@ and carl@; ARCOR and Versatel; the same
  // account in other case and a new one; sections FIREWALL and dhcp.
  static void FillImported(ConfigRecord* r) {
    AddUser(r, "BOB", "b2");
    AddUser(r, "carl", "c1");
    AddUser(r, "dora", "d1");
    AddUser(r, "Carl", "c2");
    AddAddress(r, TILOCONF_ADDR_LIST, "TEAM@example.org", {"carl", "dora"});
    AddAddress(r, TILOCONF_ADDR_MAILBOX, "carl@example.org", {"carl"});
    AddProvider(r, "ARCOR", "p2");
    AddProvider(r, "Versatel", "p3");
    AddAccount(r, "POP.example.net", "info", "m2", "m2b");
    AddAccount(r, "pop.example.net", "other", "m3", nullptr);
    AddSection(r, "FIREWALL", "new firewall\n");
    AddSection(r, "dhcp", "new dhcp\n");
  }

  HooksOff hooksOff_;
};

// Names compare ignoring case. A merge keeps what exists and takes a name the file holds twice the
// first time; an overwrite replaces in place, the later of two equal names winning. New entries
// follow in file order.
TEST_F(ConfigMergeTest, MergeKeepsAndOverwriteReplacesEntriesInPlace) {
  using Texts = std::vector<std::string>;
  const struct {
    bool overwrite;
    Texts users, addresses, others;  // others: providers, accounts and sections as "name=password(s) or text"
  } cases[] = {
      {false,
       {"anna:a1:", "bob:b1:", "carl:c1:", "dora:d1:"},
       {"team@example.org=anna", "bob@example.org=bob", "carl@example.org=carl"},
       {"Arcor=p1", "Versatel=p3", "Info=m1/<null>", "other=m3/<null>", "firewall=old firewall\n", "dns=old dns\n",
        "dhcp=new dhcp\n"}},
      {true,
       {"anna:a1:", "BOB:b2:", "Carl:c2:", "dora:d1:"},
       {"TEAM@example.org=carl,dora", "bob@example.org=bob", "carl@example.org=carl"},
       {"ARCOR=p2", "Versatel=p3", "info=m2/m2b", "other=m3/<null>", "FIREWALL=new firewall\n", "dns=old dns\n",
        "dhcp=new dhcp\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.overwrite ? "overwrite" : "merge");
    Record target, source;
    FillInstalled(target.get());
    FillImported(source.get());
    ASSERT_EQ(MergeFile(target, source.r, c.overwrite), 0);
    EXPECT_EQ(Users(target.get()), c.users);
    EXPECT_EQ(Addresses(target.get()), c.addresses);
    Texts others;
    for (auto* p = target->inet->providers; p; p = p->next) others.push_back(std::string(p->name) + "=" + p->password);
    for (auto* a = target->mail->accounts; a; a = a->next)
      others.push_back(std::string(a->login) + "=" + a->password + "/" + (a->password2 ? a->password2 : "<null>"));
    for (auto* t = target->sections; t; t = t->next) others.push_back(std::string(t->name) + "=" + t->text);
    EXPECT_EQ(others, c.others);
  }
}

// A merge fills settings the record leaves unset, an overwrite replaces those the file sets; an
// empty language and a zero proxy port count as unset.
TEST_F(ConfigMergeTest, SettingsAreFilledByMergeAndReplacedByOverwrite) {
  Record source;
  TILOCONF_general* g = SetGeneral(source.get(), "imported", 1);
  g->domain = strdup("example.org");
  g->language = strdup("");
  g->postmaster = strdup("pm@example.org");
  AddProvider(source.get(), "Arcor", "q");
  source->inet->idletimeout = 60;
  source->inet->defaultprovider = strdup("Arcor");
  source->mail = static_cast<TILOCONF_mailpart*>(calloc(1, sizeof(TILOCONF_mailpart)));
  source->mail->smtpport = 2525;
  const auto settings = [](const ConfigRecord& r) {
    const auto text = [](const char* t) { return std::string(t ? t : "<null>") + "|"; };
    return text(r.general->servername) + text(r.general->domain) + std::to_string(r.general->configured) + "|" +
           text(r.general->postmaster) + text(r.general->language) + std::to_string(r.inet->proxyport) + "|" +
           std::to_string(r.inet->idletimeout) + "|" + text(r.inet->defaultprovider) +
           std::to_string(r.mail->smtpport) + "|" + std::to_string(r.mail->pollinterval);
  };
  for (bool overwrite : {false, true}) {
    Record target;
    g = SetGeneral(target.get(), "installed", 0);
    g->domain = strdup("");
    g->language = strdup("de");
    AddProvider(target.get(), "Arcor", "p");
    target->inet->proxyport = 3128;
    AddAccount(target.get(), "pop", "x", "p", nullptr);
    target->mail->pollinterval = 5;
    ASSERT_EQ(MergeFile(target, source.r, overwrite), 0);
    EXPECT_EQ(settings(target.r), std::string(overwrite ? "imported" : "installed") +
                                      "|example.org|1|pm@example.org|de|3128|60|Arcor|2525|5");
  }
}

TEST_F(ConfigMergeTest, PartsMissingInTheFileAreLeftAlone) {
  // The file has an emptied user list and no mail part, as when only some parts are imported.
  Record target, source;
  FillInstalled(target.get());
  const std::string before = Describe(target.r);
  source->users = static_cast<TILOCONF_userpart*>(calloc(1, sizeof(TILOCONF_userpart)));
  ASSERT_EQ(MergeFile(target, source.r, true), 0);
  EXPECT_EQ(Describe(target.r), before);
}

TEST_F(ConfigMergeTest, FailureLeavesTheRecordUnchanged) {
  Record target;
  FillInstalled(target.get());
  const std::string before = Describe(target.r);
  const std::string path = Scratch() / "bad.cfg";
  WriteFile(path, "ORNCFG 1\n[users]\n[user]\nName=zed\n[user]\nName=yan\nBroken\nEND\n");
  EXPECT_EQ(TILOCONF_varload_merge(path.c_str(), target.get()), TILOCONF_ERR_SYNTAX);
  EXPECT_EQ(TILOCONF_varload_overwrite(path.c_str(), target.get()), TILOCONF_ERR_SYNTAX);
  EXPECT_EQ(Describe(target.r), before);
}

}  // namespace
}  // namespace orn::test
