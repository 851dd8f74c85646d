// Speed of the personnel file and the aces page, on careers written here:
//
//   PersonnelPage   the personnel file page of a career of 100 patrols (promotions, medals, a
//                   flotilla and a boat change every ten patrols), with its two pictures copied
//   AcesPage        the aces page of that career against 500 other careers of 100 records each
//                   (the walk of each stops at the career's date, after about a third) and 200 historical
//                   aces of 30 dated values each
//
// Each iteration reads the files anew from the profile-file cache's point of view (the cache
// checks every file before use), as a second request from the window would.

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <vector>

#include "app/language.h"
#include "app/paths.h"
#include "bench_folder.h"
#include "career/career.h"
#include "platform/files.h"
#include "reports/aces.h"
#include "reports/personnel_file.h"
#include "reports/report_page.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPatrols = 100;
constexpr int kOtherCareers = 500;
constexpr int kAces = 200;

std::string Date(const char* prefix, int dayNumber) {
    // Days from 1 September 1939, in 28-day months, good enough for dated records.
    const int month = dayNumber / 28;
    const int year = 1939 + (month + 8) / 12;
    const std::string p(prefix);
    return p + "Day=" + std::to_string(dayNumber % 28 + 1) + "\r\n" + p +
           "Month=" + std::to_string((month + 8) % 12 + 1) + "\r\n" + p + "Year=" + std::to_string(year) +
           "\r\n";
}

void Write(const fs::path& file, const std::string& text) {
    seewolf::platform::CreateFolders(file.parent_path());
    seewolf::platform::WriteFileAtomic(file, text);
}

struct Fixture {
    seewolf::bench::BenchFolder root{"reports"};
    seewolf::Paths paths;
    seewolf::Language language;
    seewolf::SelectedCareer career;
    fs::path folder;

    Fixture() {
        paths.ProgFolder = root.Path() / "prog" / "";
        paths.GameFolder = root.Path() / "game" / "";
        paths.DocsFolder = root.Path() / "docs" / "";
        paths.SaveName = "SH3";
        paths.SaveFolder = paths.DocsFolder / "SH3" / "data" / "Cfg" / "";

        std::string prog =
            "[STRINGS]\r\n13=%0:s retired.\r\n68=%s was a fine officer.\r\n213=Hull %.1f%%\r\n"
            "218=%s %s was lost with %s on %s.\r\n";
        for (int n = 180; n <= 220; ++n) {
            if (n != 213 && n != 218) {
                prog += std::to_string(n) + "=Text " + std::to_string(n) + "\r\n";
            }
        }
        Write(paths.ProgFolder / "Seewolf_en.txt", prog + "120=Crew List\r\n123=Commander\r\n");
        std::string menu = "[STRINGS]\r\n22=U-Boat Aces\r\n";
        for (int n = 0; n < 10; ++n) {
            menu += std::to_string(n + 1) + "=Flotilla " + std::to_string(n + 1) + "\r\n" +
                    std::to_string(170 + n) + "=Rank " + std::to_string(n) + "\r\n" +
                    std::to_string(1988 + n) + "=Medal " + std::to_string(n) + "\r\n";
        }
        Write(paths.GameFolder / "data" / "Menu" / "en_menu.txt", menu);
        Write(paths.GameFolder / "data" / "Cfg" / "Basic.cfg",
              "[SUBMARINE2]\r\nName0=VIIC\r\nName1=VIIC/41\r\n");
        Write(paths.ProgFolder / "Images" / "07.jpg", std::string(20000, 'j'));
        Write(paths.ProgFolder / "Personnel Files" / "background.jpg", std::string(60000, 'b'));

        // The commander's career: 100 patrols of 20 days with 8 days between.
        const fs::path careerFolder = paths.SaveFolder / "Careers" / "Bench Career" / "";
        std::string planned = "[INIT]\r\nPatrols=" + std::to_string(kPatrols) + "\r\n";
        std::string done;
        std::string now;
        std::string records = "[INIT]\r\nCareers=" + std::to_string(kPatrols) + "\r\n";
        for (int n = 0; n <= kPatrols; ++n) {
            const std::string section = seewolf::SectionName("PATROL ", n);
            const std::string voyage = "Flotilla=" + std::to_string(n / 10 + 1) + "\r\nSubName=U-" +
                                       std::to_string(100 + n / 10) +
                                       "\r\nSubType=2\r\nSubVersion=" + std::to_string(n % 2) + "\r\n";
            planned += "[" + section + "]\r\n" + Date("Start", n * 28) + voyage;
            const std::string record = seewolf::SectionName("CAREER ", n);
            now += "[" + record +
                   "]\r\nPlayerName=Bench Commander\r\nPlayerRank=" + std::to_string(10 + n / 12) + "\r\n";
            if (n == kPatrols) {
                break;
            }
            done +=
                "[" + section + "]\r\n" + Date("Start", n * 28) + Date("End", n * 28 + 19) + voyage +
                "ShipsSunkNb=3\r\nMerchantShipsSunkNb=2\r\nWarShipsSunkNb=1\r\nTonnageSunk=15000.000000\r\n"
                "MerchantTonnageSunk=10000.000000\r\nWarshipTonnageSunk=5000.000000\r\nHullIntegrity=" +
                (n % 3 == 0 ? "100" : "87.5") + "\r\n";
            records += "[" + record + "]\r\n" + Date("Crt", n * 28 + 19) + "PlayerName=Bench Commander\r\n";
            for (int m = 0; m < 10; ++m) {
                records += "Medal" + std::to_string(m) + "=" + std::to_string(n / 10 >= m ? n / 10 - m : -1) +
                           "\r\n";
            }
            records += "TonnageSunk=" + std::to_string((n + 1) * 15000) +
                       ".000000\r\nShipsSunkNb=" + std::to_string((n + 1) * 3) + "\r\n";
        }
        Write(careerFolder / "Patrols_0.cfg", planned);
        Write(careerFolder / "Patrols.cfg", done);
        Write(careerFolder / "Careers_0.cfg", now);
        Write(careerFolder / "Careers.cfg", records);
        seewolf::WriteCareerHistory(paths, "Bench Career",
                                    {"12MAR14", "Kiel", "07", "01APR33", "15OCT32", "01DEC33", "01JUL34",
                                     "01JAN36", "01APR36", "13", "68", "0"});

        career.CareerStatus = seewolf::CareerStatus::LostAtSea;
        career.Name = "Bench Career";
        career.CareerFolder = careerFolder;
        career.PatrolCount = kPatrols;
        career.CmdrName = "Bench Commander";
        career.CmdrRank = "Rank 8";
        career.SubName = "U-109";
        career.StartDateText = "19420701";  // half way through the other careers' records
        folder = seewolf::reports::PersonnelFolder(paths, career.Name);

        // The other careers, 100 records each over the same years.
        for (int c = 0; c < kOtherCareers; ++c) {
            std::string text = "[INIT]\r\nCareers=100\r\n";
            for (int n = 0; n < 100; ++n) {
                text += "[" + seewolf::SectionName("CAREER ", n) + "]\r\n" + Date("Crt", n * 28 + 19) +
                        "PlayerName=Commander " + std::to_string(c) +
                        "\r\nTonnageSunk=" + std::to_string(n * 1000 + c) +
                        ".000000\r\nShipsSunkNb=" + std::to_string(n) + "\r\n";
            }
            Write(paths.SaveFolder / "Careers" / ("Other " + std::to_string(c)) / "Careers.cfg", text);
        }
        std::string aces = "[INIT]\r\nNb=" + std::to_string(kAces) + "\r\n";
        for (int i = 0; i < kAces; ++i) {
            aces += "[ITEM" + std::to_string(i) + "]\r\nName=Ace " + std::to_string(i) + "\r\nNbVal=30\r\n";
            for (int j = 0; j < 30; ++j) {
                const std::string n = std::to_string(j);
                aces += "Day" + n + "=1\r\nMonth" + n + "=" + std::to_string(j % 12 + 1) + "\r\nDate" + n +
                        "=" + std::to_string(1939 + j / 12) + "\r\nTonnage" + n + "=" +
                        std::to_string(1000 + i) + "\r\n";
            }
        }
        Write(paths.GameFolder / "data" / "Cfg" / "UboatAces.cfg", aces);
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void BM_PersonnelPage(benchmark::State& state) {
    Fixture& f = TheFixture();
    for (auto _ : state) {
        std::vector<std::string> notes;
        const seewolf::reports::PersonnelPage page =
            seewolf::reports::WritePersonnelPage(f.paths, f.language, f.career, f.folder, notes);
        benchmark::DoNotOptimize(page.tonnage);
        if (!notes.empty()) {
            state.SkipWithError(notes.front().c_str());
        }
    }
}
BENCHMARK(BM_PersonnelPage)->Unit(benchmark::kMillisecond);

void BM_AcesPage(benchmark::State& state) {
    Fixture& f = TheFixture();
    for (auto _ : state) {
        seewolf::reports::GenerateAcesPage(f.paths, f.language, f.career, f.folder, "Text_180.html", 1500000);
    }
    state.counters["rows"] = static_cast<double>(kOtherCareers + kAces + 1);
}
BENCHMARK(BM_AcesPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
