// The switches an administrator or a deployment tool gives the program, and
// the splitting of a raw command line into arguments.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace trevanil {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineSplit, QuotesBlanksAndBackslashesAsWindowsSplitsThem) {
    // The program's name ends at its closing quote: its backslashes and
    // blanks mean nothing.
    EXPECT_EQ(splitArguments(R"("C:\Program Files\x\Trevanil.exe")"), Args{});
    EXPECT_EQ(splitArguments(R"(C:\x\Trevanil.exe   /S	/log=a.log )"), (Args{"/S", "/log=a.log"}));
    EXPECT_EQ(splitArguments(R"("C:\a b\Trevanil.exe" /LOG="C:\Mis registros\r 1.log" /S)"),
              (Args{R"(/LOG=C:\Mis registros\r 1.log)", "/S"}));
    EXPECT_EQ(splitArguments(R"(t.exe "/LOG=\\servidor\compartido\a b\r.log")"),
              (Args{R"(/LOG=\\servidor\compartido\a b\r.log)"}));
    // Backslashes count only before a quote.
    EXPECT_EQ(splitArguments(R"(t.exe "ab\"c" "\\" d)"), (Args{"ab\"c", "\\", "d"}));
    EXPECT_EQ(splitArguments(R"(t.exe a\\\b d"e f"g h)"), (Args{R"(a\\\b)", "de fg", "h"}));
    EXPECT_EQ(splitArguments(R"(t.exe a\\\"b c d)"), (Args{R"(a\"b)", "c", "d"}));
    EXPECT_EQ(splitArguments(R"(t.exe a\\\\"b c" d e)"), (Args{R"(a\\b c)", "d", "e"}));
    EXPECT_EQ(splitArguments(R"(t.exe a"b"" c d)"), (Args{R"(ab" c d)"}));
    EXPECT_EQ(splitArguments(R"(t.exe "" /S)"), (Args{"", "/S"}));
    EXPECT_EQ(splitArguments("t.exe /LOG=\"C:\\\xC3\xB1u \xE6\x97\xA5\\r.log\""),
              (Args{"/LOG=C:\\\xC3\xB1u \xE6\x97\xA5\\r.log"}));
}

TEST(CommandLine, NoArgumentsIsTheOrdinaryRun) {
    for (const char* line : {"Trevanil.exe", "\"C:\\a /S\\Trevanil.exe\"", "Trevanil.exe   "}) {
        const CommandLine c = parseCommandLine(line);
        EXPECT_FALSE(c.quiet);
        EXPECT_FALSE(c.quietWritten);
        EXPECT_FALSE(c.logPath);
        EXPECT_FALSE(c.usage);
        EXPECT_FALSE(c.verbose);
        EXPECT_EQ(c.error, "");
    }
}

TEST(CommandLine, SwitchesInAnyCaseAndOrder) {
    for (const char* quiet : {"/S", "/s", "/silent", "/SILENT", "/Silent"}) {
        const CommandLine c = parseCommandLine(std::string("t.exe ") + quiet);
        EXPECT_TRUE(c.quiet) << quiet;
        EXPECT_EQ(c.error, "") << quiet;
    }
    const CommandLine c = parseCommandLine(R"(t.exe /v /log="D:\Registros\PC 12.log" /s /c)");
    EXPECT_TRUE(c.quiet);
    EXPECT_TRUE(c.verbose);
    EXPECT_TRUE(c.check);
    EXPECT_EQ(c.logPath, std::optional<std::string>(R"(D:\Registros\PC 12.log)"));
    EXPECT_EQ(c.error, "");
    const CommandLine usage = parseCommandLine("t.exe /?");
    EXPECT_TRUE(usage.usage);
    EXPECT_FALSE(usage.verbose);
    EXPECT_FALSE(usage.check);
    EXPECT_EQ(usage.error, "");
    EXPECT_TRUE(parseCommandLine("t.exe /V").verbose);
}

TEST(CommandLine, BadInputIsNamedAndAQuietSwitchStillCounts) {
    struct Row {
        const char* line;
        const char* error;
        bool quiet = true;  // else /S was swallowed by a broken quote
    };
    for (const Row& r : {Row{"t.exe /X /S", "Opci\xC3\xB3n desconocida: /X"},
                         Row{"t.exe /S -S", "Opci\xC3\xB3n desconocida: -S"},
                         Row{"t.exe /S/LOG=a /s", "Opci\xC3\xB3n desconocida: /S/LOG=a"},
                         Row{"t.exe /LOG= /S", "Falta la ruta del archivo de resultados: /LOG=<ruta>."},
                         Row{"t.exe /LOG=\"\" /S", "Falta la ruta del archivo de resultados: /LOG=<ruta>."},
                         Row{"t.exe /LOG /S", "Falta la ruta del archivo de resultados: /LOG=<ruta>."},
                         Row{"t.exe /LOG=a /S /LOG=b", "/LOG= aparece m\xC3\xA1s de una vez."},
                         Row{"t.exe /C /? /S", "/C y /? no pueden usarse juntos."},
                         Row{"t.exe /S /LOG=a x.log /Y", "Opci\xC3\xB3n desconocida: x.log"},
                         Row{R"(t.exe /LOG="C:\Logs\PC 12.log /s)", "", false},
                         Row{R"(t.exe /LOG=a /X" /Silent)", "Opci\xC3\xB3n desconocida: /X /Silent", false}}) {
        const CommandLine c = parseCommandLine(r.line);
        EXPECT_EQ(c.error, r.error) << r.line;
        EXPECT_EQ(c.quiet, r.quiet) << r.line;
        EXPECT_TRUE(c.quietWritten) << r.line;
    }
}

}  // namespace
}  // namespace trevanil
