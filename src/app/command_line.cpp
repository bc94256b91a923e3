#include "app/command_line.h"

#include "app/program.h"

#include "platform/text.h"

namespace trevanil {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The program's name ends at the next quote when it starts with one, else
// at the first blank; backslashes mean nothing in it.
std::size_t afterProgramName(std::string_view line) {
    if (!line.empty() && line[0] == '"') {
        const std::size_t close = line.find('"', 1);
        return close == std::string_view::npos ? line.size() : close + 1;
    }
    std::size_t i = 0;
    while (i < line.size() && !isBlank(line[i])) ++i;
    return i;
}

bool isQuietSwitch(std::string_view argument) {
    const std::string lower = lowerAscii(argument);
    return lower == "/s" || lower == "/silent";
}

// Read at blanks alone, quotes dropped: a broken quote that swallowed /S into
// another argument does not hide it.
bool quietSwitchWritten(std::string_view line) {
    std::string piece;
    for (std::size_t i = afterProgramName(line); i <= line.size(); ++i) {
        if (i == line.size() || isBlank(line[i])) {
            if (isQuietSwitch(piece)) return true;
            piece.clear();
        } else if (line[i] != '"') {
            piece += line[i];
        }
    }
    return false;
}

}  // namespace

// 2n backslashes before a quote give n and the quote opens or closes a
// quoted part; 2n+1 give n and a literal quote; elsewhere backslashes stay.
// Inside a quoted part, two quotes give one.
std::vector<std::string> splitArguments(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = afterProgramName(line);
    for (;;) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size()) return arguments;
        std::string argument;
        bool quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t n = 0;
                for (; i < line.size() && line[i] == '\\'; ++i) ++n;
                const bool beforeQuote = i < line.size() && line[i] == '"';
                argument.append(beforeQuote ? n / 2 : n, '\\');
                if (beforeQuote && n % 2 == 1) argument += line[i++];
            } else if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += line[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
}

// Every argument is read, so that /S counts even on a line with an error:
// a quiet run must never wait on a message.
CommandLine parseCommandLine(std::string_view commandLine) {
    CommandLine result;
    const auto reject = [&result](std::string message) {
        if (result.error.empty()) result.error = std::move(message);
    };
    for (const std::string& argument : splitArguments(commandLine)) {
        const std::string lower = lowerAscii(argument);
        if (isQuietSwitch(lower)) {
            result.quiet = true;
        } else if (lower == "/v") {
            result.verbose = true;
        } else if (lower == "/c") {
            result.check = true;
        } else if (lower == "/u") {
            result.uninstall = true;
        } else if (lower == "/?") {
            result.usage = true;
        } else if (lower == "/log" || lower.rfind("/log=", 0) == 0) {
            const std::string path = argument.size() > 5 ? argument.substr(5) : std::string();
            if (path.empty()) {
                reject("Falta la ruta del archivo de resultados: /LOG=<ruta>.");
            } else if (result.logPath) {
                reject("/LOG= aparece m\xC3\xA1s de una vez.");
            } else {
                result.logPath = path;
            }
        } else {
            reject("Opci\xC3\xB3n desconocida: " + argument);
        }
    }
    if (result.check && result.usage) reject("/C y /? no pueden usarse juntos.");
    if (result.uninstall && (result.check || result.usage)) reject("/U no puede usarse con /C ni con /?.");
    result.quietWritten = result.quiet || quietSwitchWritten(commandLine);
    return result;
}

std::string usageText() {
    return std::string() + "Uso: Trevanil.exe [/C | /U] [/S] [/V] [/LOG=<ruta>]\n"
           "\n"
           "/S\tSin ventana, sin Bloc de notas y sin mensajes: el resultado queda en el c\xC3\xB3" "digo de salida y "
           "en el archivo de resultados (tambi\xC3\xA9n /silent).\n"
           "/LOG=<ruta>\tEl archivo de resultados es <ruta> en lugar de " + std::string(kLogName) + " junto al programa; entre "
           "comillas si lleva espacios. La carpeta debe existir.\n"
           "/V\tA\xC3\xB1" "ade al archivo de resultados, tras los componentes, la causa de cada copia que no se hizo "
           "y de cada componente que no se registr\xC3\xB3.\n"
           "/C\tComprueba el equipo sin cambiar nada: no copia ni registra; escribe por cada componente "
           "Correcto o Incorrecto y la causa en " + std::string(kCheckReportName) + " junto al programa (o en /LOG=).\n"
           "/U\tQuitar lo que instal\xC3\xB3 este programa, como un desinstalador: a cada componente que cont\xC3\xB3 "
           "le resta uno de su cuenta de archivo compartido (SharedDLLs); si llega a 0, lo quita del registro y borra "
           "el archivo de System32 que puso el programa. Los que usan otros programas se quedan. Escribe una "
           "l\xC3\xADnea por componente en " + std::string(kLogName) + " (o en /LOG=).\n"
           "/?\tMuestra esta ayuda.\n"
           "\n"
           "C\xC3\xB3" "digos de salida:\n"
           "0\tTodos los componentes registrados (o se mostr\xC3\xB3 esta ayuda). Con /C: todos correctos. Con /U: "
           "hecho.\n"
           "1\tAlguno no se registr\xC3\xB3; el archivo de resultados dice cu\xC3\xA1l. Con /C: alguno est\xC3\xA1 "
           "incorrecto. Con /U: no se pudo quitar alguno.\n"
           "3010\tTodos registrados; alg\xC3\xBAn archivo estaba en uso y se sustituir\xC3\xA1 al reiniciar el equipo "
           "(una herramienta de implementaci\xC3\xB3n reinicia cuando su directiva lo permite; con un script de "
           "inicio, lo termina el siguiente arranque). Con /U: alg\xC3\xBAn archivo estaba en uso y se borrar\xC3\xA1 "
           "al reiniciar.\n"
           "87\tL\xC3\xADnea de comandos incorrecta; no se hizo nada.\n"
           "1602\tSe cerr\xC3\xB3 la ventana antes de empezar; no se hizo nada.\n"
           "1603\tLa instalaci\xC3\xB3n se detuvo por un error.\n"
           "1618\tYa hay otro Trevanil en marcha en el equipo; vuelva a intentarlo m\xC3\xA1s tarde.";
}

}  // namespace trevanil
