#include "reports/report_page.h"

#include <gtest/gtest.h>

#include "app/error.h"
#include "app/paths.h"
#include "support/temp_world.h"

namespace seewolf::reports {
namespace {

TEST(ReportPage, SkeletonEndsEveryLineWithCrLf) {
    testing::TempFolder folder;
    Page page("de", "PERSONALAKTE : Hans");
    page.Line("<p>body</p>");
    page.BackLink({"Impact", "Times New Roman", "Courier New", {}}, "Personalakte.html");
    const auto file = folder.Path() / "page.html";
    page.Write(file);
    EXPECT_EQ(testing::ReadText(file),
              "<html>\r\n\r\n<head>\r\n"
              "<meta http-equiv=\"Content-Language\" content=\"de\">\r\n"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
              "<title>PERSONALAKTE : Hans</title>\r\n</head>\r\n\r\n"
              "<body background=\"background.jpg\">\r\n\r\n"
              "<p>body</p>\r\n"
              "<p><font face=\"Courier New\"><a href=\"Personalakte.html\">BACK</a></font></p>\r\n"
              "\r\n</body>\r\n\r\n</html>\r\n");
}

TEST(ReportPage, DatesAndNames) {
    DateTexts texts;
    texts.monthNames[2] = "M\xE4r";  // German short name of March, with a-umlaut
    EXPECT_EQ(ReportDate(EncodeDate(1939, 9, 5), texts), "05SEP39");
    EXPECT_EQ(ReportDate(EncodeDate(1943, 3, 14), texts), "14M\xC4R43");
    EXPECT_EQ(TwoDigitYear("05SEP39"), "39");
    EXPECT_EQ(TwoDigitYear("9"), "9");
    EXPECT_EQ(TitleDate("19410312", texts), "12M\xE4r41");
    for (const char* bad : {"1941031", "19411312", "1941x312", ""}) {
        EXPECT_THROW(TitleDate(bad, texts), Error) << bad;
    }

    EXPECT_EQ(EscapeHtml("Kptlt. M\xFCller"), "Kptlt. M\xFCller");
    EXPECT_EQ(EscapeHtml("<b>\"A&B\"</b>"), "&lt;b&gt;&quot;A&amp;B&quot;&lt;/b&gt;");

    EXPECT_EQ(PageFileName("U-96 Crew List"), "U-96_Crew_List.html");
    EXPECT_EQ(SafeFileName("..\\..\\evil/x:y*?\"<>|\t"), "___.._evil_x_y_______");
    EXPECT_EQ(SafeFileName(".."), "__");
    EXPECT_EQ(SafeFileName(""), "_");
    EXPECT_EQ(SafeFileName("Sch\xE4"
                           "fer."),
              "Sch\xE4"
              "fer_");
}

TEST(ReportPage, FolderFontsAndPictures) {
    testing::TempFolder folder;
    Paths paths;
    paths.DocsFolder = folder.Path();
    paths.ProgFolder = folder.Path() / "prog/";
    paths.SaveName = "SH3";
    testing::WriteText(paths.SettingsFile(), "[SETTINGS]\r\nTextFont=Courier \"New\"\r\nLabelFont=Arial\r\n");
    const ReportFonts fonts = ReadReportFonts(paths);
    EXPECT_EQ(fonts.text, "Courier &quot;New&quot;");  // quotes kept, since only one pair is removed
    EXPECT_EQ(fonts.label, "Arial");
    EXPECT_EQ(fonts.heading, "Impact");
    EXPECT_EQ(fonts.background, folder.Path() / "prog" / "Personnel Files" / "background.jpg");

    const auto made = PersonnelFolder(paths, "Otto von Berg/..");
    EXPECT_EQ(made, folder.Path() / "Personnel Files" / "SH3Otto_von_Berg___");
    EXPECT_TRUE(std::filesystem::is_directory(made));

    std::vector<std::string> notes;
    CopyPicture(folder.Path() / "missing.jpg", made / "07.jpg", notes);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("missing.jpg"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(made / "07.jpg"));
    testing::WriteText(folder.Path() / "07.jpg", "JPEG");
    CopyPicture(folder.Path() / "07.jpg", made / "07.jpg", notes);
    EXPECT_EQ(testing::ReadText(made / "07.jpg"), "JPEG");
    EXPECT_EQ(notes.size(), 1u);
}

}  // namespace
}  // namespace seewolf::reports
