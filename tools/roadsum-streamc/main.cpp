// roadsum-streamc: turns the readable text form of a component stream into the binary stream
// that resources hold, and back, so that resources are kept as sources and can be inspected.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "../common/tool_io.h"
#include "crash/settings/component_stream.h"
#include "crash/settings/component_stream_text.h"
#include "crash/settings/password.h"

namespace {

const char kUsage[] =
    "usage: roadsum-streamc compile TEXT-FILE -o STREAM-FILE\n"
    "       roadsum-streamc decompile STREAM-FILE [-o TEXT-FILE]\n"
    "       roadsum-streamc password ACCOUNT SERVER   (the password comes on standard input)\n"
    "\n"
    "compile    reads the text form of one object and writes it as a binary component stream\n"
    "           (\"TPF0\", class and object name, typed properties, nested objects).\n"
    "decompile  writes the text form of a stream (to standard output without -o). A stream\n"
    "           that breaks off is written as far as it could be read, and the reason goes\n"
    "           to standard error.\n"
    "password   prints the stored form of a password for SmtpPassword or HttpPassword; it\n"
    "           deciphers only with the same account (SmtpAccount, HttpAccount) and server\n"
    "           (SmtpServer, HttpServer). A trailing line break of the input is not part of it.\n"
    "\n"
    "The text form:\n"
    "  # a comment runs to the end of the line\n"
    "  object noxExcept: TNoxExcept        object NAME: CLASS\n"
    "    Enabled = true                     booleans: true, false\n"
    "    FreezeTimeout = 60000              integers: stored in 8, 16 or 32 bits, the\n"
    "                                       smallest that holds the number\n"
    "    TitleBar = \"%appname%\"             texts: 1 length byte up to 255 bytes, a\n"
    "                                       32-bit length beyond\n"
    "    Body = \"line 1\\r\\n\" +              \"+\" joins pieces of one text\n"
    "           \"line 2\"\n"
    "    Align = alClient                   an identifier\n"
    "    object Child: TChild               nested objects, any depth up to 32\n"
    "    end\n"
    "  end\n"
    "Forms that choose another value type: int8(N) int16(N) int32(N), lstring(\"...\"),\n"
    "wstring(\"...\") (UTF-16), utf8(\"...\"), ident(\"...\"). Escapes in texts: \\\" \\\\ \\r \\n \\t,\n"
    "\\xHH for a byte and, in wstring only, \\uHHHH for a UTF-16 unit; other bytes are taken as\n"
    "they stand in the file (UTF-8 inside wstring and utf8). Names that are not plain identifiers\n"
    "(letters, digits, \"_\", \".\") are quoted. A header may start with \"inherited\" or \"inline\"\n"
    "instead of \"object\" and end with \"[N]\" (child position) and \"flags(N)\".\n"
    "\n"
    "Exit status: 0 on success, 1 when an input is wrong (the reason goes to standard error),\n"
    "2 on wrong usage.\n";

int usage_error(const std::string& problem) { return roadsum::tool::usage_error("roadsum-streamc", problem, kUsage); }
int failure(const std::string& problem) { return roadsum::tool::failure("roadsum-streamc", problem); }
using roadsum::tool::read_file, roadsum::tool::write_file;

// INPUT [-o OUTPUT]; output_required says whether -o must be given.
struct Files {
    std::string input;
    std::string output;
};

std::optional<Files> parse_files(const std::vector<std::string>& args, bool output_required, std::string& problem) {
    Files f;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size()) {
                problem = "-o needs a file name";
                return std::nullopt;
            }
            f.output = args[++i];
        } else if (f.input.empty()) {
            f.input = args[i];
        } else {
            problem = "more than one input file";
            return std::nullopt;
        }
    }
    if (f.input.empty()) problem = "no input file";
    else if (output_required && f.output.empty()) problem = "no output file (-o)";
    if (!problem.empty()) return std::nullopt;
    return f;
}

int compile(const Files& files) {
    std::optional<std::string> text = read_file(files.input);
    if (!text) return failure("cannot read " + files.input);
    try {
        roadsum::StreamObject root = roadsum::component_stream_from_text(*text);
        std::vector<std::uint8_t> stream = roadsum::write_component_stream(root);
        if (!write_file(files.output, std::string(stream.begin(), stream.end())))
            return failure("cannot write " + files.output);
    } catch (const roadsum::StreamTextError& e) {
        return failure(files.input + ", " + e.what());
    } catch (const roadsum::StreamWriteError& e) {
        return failure(files.input + ": " + e.what());
    }
    return 0;
}

int decompile(const Files& files) {
    std::optional<std::string> bytes = read_file(files.input);
    if (!bytes) return failure("cannot read " + files.input);
    auto data = std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
    roadsum::StreamReadResult read = roadsum::read_component_stream(data);
    std::string text = read.stop == roadsum::StreamStop::BadSignature
                           ? std::string()
                           : roadsum::component_stream_to_text(read.root);
    if (files.output.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else if (!write_file(files.output, text)) {
        return failure("cannot write " + files.output);
    }
    if (!read.complete()) return failure(files.input + ": " + roadsum::describe_stop(read));
    return 0;
}

int password(const std::vector<std::string>& args) {
    if (args.size() != 2) return usage_error("password needs ACCOUNT and SERVER");
    std::string clear(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>{});
    if (!clear.empty() && clear.back() == '\n') clear.pop_back();
    if (!clear.empty() && clear.back() == '\r') clear.pop_back();
    std::printf("%s\n", roadsum::encipher_password(clear, args[0], args[1]).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage_error("no command");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "password") return password(args);
    if (command != "compile" && command != "decompile") return usage_error("unknown command " + command);
    std::string problem;
    std::optional<Files> files = parse_files(args, command == "compile", problem);
    if (!files) return usage_error(problem);
    return command == "compile" ? compile(*files) : decompile(*files);
}
