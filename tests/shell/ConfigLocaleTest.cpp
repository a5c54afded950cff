// QnADC.cfg and the placement file are written the same whatever the C and C++ locales say.
#include "SettingsFixture.h"
#include "shell/settings/Placement.h"

#include <clocale>
#include <locale>

namespace qn::test {
namespace {

// German number punctuation: decimal comma, a point between groups of three digits.
class GermanPunct final : public std::numpunct<char> {
  protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// Puts the given C locale and a German C++ global locale in place for one test.
class GermanLocale {
  public:
    explicit GermanLocale(const char* cLocale)
        : oldC_(std::setlocale(LC_ALL, nullptr)),
          oldCpp_(std::locale::global(std::locale(std::locale::classic(), new GermanPunct))) {
        Active = cLocale == nullptr || std::setlocale(LC_ALL, cLocale) != nullptr;
    }
    ~GermanLocale() {
        std::setlocale(LC_ALL, oldC_.c_str());
        std::locale::global(oldCpp_);
    }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;
    bool Active = false;

  private:
    std::string oldC_;
    std::locale oldCpp_;
};

class LocaleFixture : public ConfigFixture {
  protected:
    std::vector<Placement> placements = {
        {"AnxADC", {-1200, 10000, 1234, 567}, WindowState::Normal, true}};

    LocaleFixture() {
        values.Analysis.CalValue = 1234567;
        values.Analysis.EGv = "65536";
        stnd.Chip = 1000;
    }

    void ExpectSameFilesAs(const std::string& cfg, const std::string& wst) {
        ASSERT_TRUE(SaveConfig(path, targets));
        ASSERT_TRUE(WritePlacements(folder.File("qn.wst"), placements));
        EXPECT_EQ(Slurp(path), cfg);
        EXPECT_EQ(Slurp(folder.File("qn.wst")), wst);
        EXPECT_EQ(ReadPlacements(folder.File("qn.wst")), placements);
        values = Settings{};
        LoadConfig(path, targets, SelectChip());
        EXPECT_EQ(values.Analysis.CalValue, 1234567);
        EXPECT_EQ(values.Analysis.EGv, "65536");
    }
};

TEST_F(LocaleFixture, GermanCppGlobalLocaleChangesNothing) {
    std::string cfg = FormatConfig(targets);
    std::string wst = FormatPlacements(placements);
    GermanLocale german(nullptr);
    ExpectSameFilesAs(cfg, wst);
}

TEST_F(LocaleFixture, GermanCLocaleChangesNothing) {
    std::string cfg = FormatConfig(targets);
    std::string wst = FormatPlacements(placements);
    GermanLocale german("de_DE.UTF-8");
    if (!german.Active) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    ExpectSameFilesAs(cfg, wst);
}

} // namespace
} // namespace qn::test
