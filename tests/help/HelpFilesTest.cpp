// The compiled help files: each opens, every topic its contents, index and links name is in
// it, and every language has every topic English has.
#include "platform/help/ChmArchive.h"
#include "platform/help/Sitemap.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

using foliant::help::ChmArchive;
using foliant::help::Flatten;
using foliant::help::HelpFileError;
using foliant::help::ParseSitemap;

namespace {

std::vector<std::string> Languages() {
    std::vector<std::string> codes;
    std::istringstream list(FOLIANT_TEST_HELP_LANGUAGES);
    for (std::string code; std::getline(list, code, ',');) {
        codes.push_back(code);
    }
    return codes;
}

std::string HelpFilePath(const std::string& code) {
    return std::string(FOLIANT_TEST_HELP_DIR) + "/Wizards_" + code + ".chm";
}

// "styles.htm#table" names the topic "/styles.htm".
std::string TopicOf(const std::string& local) {
    return "/" + local.substr(0, local.find('#'));
}

std::set<std::string> Topics(const ChmArchive& chm) {
    std::set<std::string> topics;
    for (const auto& file : chm.Files()) {
        if (file.ends_with(".htm")) {
            topics.insert(file);
        }
    }
    return topics;
}

// The targets of a topic's links and pictures that lie inside the help file.
std::vector<std::string> LocalReferences(const std::string& html) {
    static const std::regex reference(R"((?:href|src)="([^"#:]+)(?:#[^"]*)?")");
    std::vector<std::string> targets;
    for (std::sregex_iterator it(html.begin(), html.end(), reference), end; it != end; ++it) {
        targets.push_back("/" + (*it)[1].str());
    }
    return targets;
}

class HelpFile : public ::testing::TestWithParam<std::string> {};

TEST_P(HelpFile, OpensAndEverythingItNamesIsInIt) {
    const ChmArchive chm(HelpFilePath(GetParam()));
    EXPECT_FALSE(chm.Title().empty());
    EXPECT_TRUE(chm.Contains(chm.DefaultTopic())) << chm.DefaultTopic();
    for (const auto& sitemapFile : {chm.ContentsFile(), chm.IndexFile()}) {
        const auto sitemap = chm.Read(sitemapFile);
        ASSERT_TRUE(sitemap) << sitemapFile;
        const auto entries = ParseSitemap(*sitemap);
        EXPECT_GE(Flatten(entries).size(), 10u) << sitemapFile;
        for (const auto* entry : Flatten(entries)) {
            EXPECT_FALSE(entry->name.empty()) << sitemapFile;
            if (!entry->local.empty()) {
                EXPECT_TRUE(chm.Contains(TopicOf(entry->local)))
                    << sitemapFile << ": " << entry->local;
            }
        }
    }
    for (const auto& topic : Topics(chm)) {
        const std::string html = chm.Read(topic).value_or("");
        EXPECT_TRUE(std::regex_search(html, std::regex("<title>[^<]+</title>"))) << topic;
        for (const auto& target : LocalReferences(html)) {
            EXPECT_TRUE(chm.Contains(target)) << topic << " names " << target;
        }
    }
}

TEST_P(HelpFile, HasEveryTopicAndContentsEntryOfEnglishTranslated) {
    const ChmArchive english(HelpFilePath("en"));
    const ChmArchive chm(HelpFilePath(GetParam()));
    EXPECT_EQ(Topics(chm), Topics(english));
    const auto tree = ParseSitemap(chm.Read(chm.ContentsFile()).value_or(""));
    const auto englishTree = ParseSitemap(english.Read(english.ContentsFile()).value_or(""));
    const auto contents = Flatten(tree);
    const auto englishContents = Flatten(englishTree);
    ASSERT_EQ(contents.size(), englishContents.size());
    for (std::size_t i = 0; i < contents.size(); ++i) {
        EXPECT_EQ(contents[i]->local, englishContents[i]->local) << "entry " << i;
    }
    if (GetParam() != "en") {
        EXPECT_NE(chm.Read("fields.htm"), english.Read("fields.htm")) << "a real translation";
        EXPECT_NE(chm.Title(), english.Title());
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, HelpFile, ::testing::ValuesIn(Languages()),
                         [](const auto& info) { return info.param; });

TEST(HelpFileReader, RefusesWhatIsNotAHelpFile) {
    EXPECT_THROW(ChmArchive("/nonexistent/Wizards_en.chm"), HelpFileError);
    EXPECT_THROW(ChmArchive(FOLIANT_SOURCE_DIR "/help/en/overview.htm"), HelpFileError);
    const ChmArchive chm(HelpFilePath("en"));
    EXPECT_FALSE(chm.Read("no-such-topic.htm"));
    EXPECT_TRUE(chm.Read("/images/103_standard.png").value_or("").starts_with("\x89PNG"))
        << "the style pictures are stored byte for byte";
}

} // namespace
