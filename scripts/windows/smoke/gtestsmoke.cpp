// Checks the static GoogleTest and GoogleMock libraries: one test with a
// mock, run under wine by the smoke script.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

class Source {
 public:
  virtual ~Source() = default;
  virtual std::string name() const = 0;
};

class MockSource : public Source {
 public:
  MOCK_METHOD(std::string, name, (), (const, override));
};

TEST(WindowsSmoke, MockAnswers) {
  MockSource source;
  EXPECT_CALL(source, name()).WillOnce(testing::Return("IMG0001.PCD"));
  EXPECT_EQ(source.name(), "IMG0001.PCD");
}

}  // namespace
