// Reading "_ldap._tcp" answers, built byte by byte as a resolver would receive them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ads/DnsSrv.h"

namespace ads {
namespace {

class Answer {
 public:
  explicit Answer(uint16_t answers) {
    Put16(0x1234), Put16(0x8180), Put16(1), Put16(answers), Put16(0), Put16(0);
    Name({"_ldap", "_tcp", "x", "de"});
    Put16(33), Put16(1);
  }
  Answer& Srv(uint16_t priority, uint16_t weight, uint16_t port, const std::vector<std::string>& target) {
    size_t length = 6 + 1;  // priority, weight, port and the name's end
    for (const std::string& label : target) length += 1 + label.size();
    Record(33);
    Put16(static_cast<uint16_t>(length)), Put16(priority), Put16(weight), Put16(port);
    Name(target);
    return *this;
  }
  Answer& Address() {
    Record(1);
    Put16(4);
    bytes_.insert(bytes_.end(), {127, 0, 0, 1});
    return *this;
  }
  const std::vector<unsigned char>& Bytes() const { return bytes_; }

 private:
  void Put16(uint16_t v) {
    bytes_.insert(bytes_.end(), {static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
  }
  void Name(const std::vector<std::string>& labels) {
    for (const std::string& label : labels) {
      bytes_.push_back(static_cast<unsigned char>(label.size()));
      bytes_.insert(bytes_.end(), label.begin(), label.end());
    }
    bytes_.push_back(0);
  }
  void Record(uint16_t type) {
    bytes_.insert(bytes_.end(), {0xC0, 0x0C});  // the question's name
    Put16(type), Put16(1), Put16(0), Put16(300);
  }
  std::vector<unsigned char> bytes_;
};

std::vector<std::string> Targets(const std::vector<unsigned char>& bytes) {
  std::vector<std::string> out;
  for (const SrvTarget& t : ParseSrvAnswer(bytes.data(), bytes.size()))
    out.push_back(t.host + ":" + std::to_string(t.port));
  return out;
}

TEST(DnsSrvTest, TargetsByPriorityThenWeightWithoutTheUnusable) {
  Answer answer(6);
  answer.Srv(10, 5, 389, {"b", "x", "de"})
      .Address()
      .Srv(5, 0, 3268, {"a", "x", "de"})
      .Srv(10, 50, 389, {"c", "x", "de"})
      .Srv(1, 0, 389, {})              // "." : no service here
      .Srv(1, 0, 389, {"a b", "de"});  // not a host name
  EXPECT_EQ(Targets(answer.Bytes()), (std::vector<std::string>{"a.x.de:3268", "c.x.de:389", "b.x.de:389"}));

  // A damaged answer gives nothing, not a target made of the damage.
  Answer two(2);
  two.Srv(0, 0, 389, {"ok", "de"}).Srv(0, 0, 389, {"cut", "de"});
  std::vector<unsigned char> cut = two.Bytes();
  cut.resize(cut.size() - 6);
  EXPECT_TRUE(Targets(cut).empty());
}

}  // namespace
}  // namespace ads
