// Makes a program's manual page from its own --help text, so that the two
// can never say different things:
//
//   help_to_man PROGRAM EXTRA OUTPUT
//
// The help text has this shape: "Usage: NAME ARGUMENTS", a one-line summary
// (the NAME line of the page), paragraphs of description, then sections,
// each a heading that ends in a colon ("Options:", "Examples:") followed by
// items: a term indented by two to seven blanks, at least two blanks, and
// its text, which may go on in lines indented further. EXTRA is roff text
// appended as it stands (FILES, SEE ALSO and the like).
#include <sys/wait.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Output of `program option`, or nothing when it fails.
bool Run(const std::string& program, const char* option, std::string& output) {
    const std::string command = "'" + program + "' " + option;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

std::size_t Indent(const std::string& line) {
    const auto first = line.find_first_not_of(' ');
    return first == std::string::npos ? line.size() : first;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: help_to_man PROGRAM EXTRA OUTPUT\n";
        return 2;
    }
    const std::string program = argv[1];
    std::string help, version;
    if (!Run(program, "--help", help) || !Run(program, "--version", version)) {
        std::cerr << "help_to_man: " << program << " --help or --version failed\n";
        return 1;
    }
    std::vector<std::string> lines;
    for (std::istringstream in(help); std::getline(in, lines.emplace_back());) {
    }
    lines.pop_back();
    const std::string usagePrefix = "Usage: ";
    if (lines.size() < 2 || lines[0].rfind(usagePrefix, 0) != 0) {
        std::cerr << "help_to_man: the help text does not begin with '" << usagePrefix << "'\n";
        return 1;
    }
    const std::string usage = lines[0].substr(usagePrefix.size());
    const std::string name = usage.substr(0, usage.find(' '));
    std::string summary = lines[1];
    if (summary.size() > 1 && std::isupper(static_cast<unsigned char>(summary[0])) &&
        std::islower(static_cast<unsigned char>(summary[1])))
        summary[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(summary[0])));
    if (!summary.empty() && summary.back() == '.') summary.pop_back();
    std::string versionNumber = version.substr(0, version.find('\n'));
    versionNumber = versionNumber.substr(versionNumber.rfind(' ') + 1);

    std::ostringstream page;
    page << ".TH " << Escape(Upper(name)) << " 1 \"\" \"Zorvia Concordancer " << versionNumber
         << "\" \"User Commands\"\n"
         // Paths and option names read better unbroken and unstretched.
         << ".nh\n.ad l\n"
         << ".SH NAME\n" << Escape(name) << " \\- " << Escape(summary) << "\n"
         << ".SH SYNOPSIS\n.B " << Escape(name) << "\n" << Escape(usage.substr(name.size() + 1)) << "\n"
         << ".SH DESCRIPTION\n";
    // A blank line between paragraphs becomes a paragraph break; items and
    // their continuation lines follow one another without one.
    bool textInSection = false;
    bool blank = false;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::size_t indent = Indent(line);
        if (indent == line.size()) {
            blank = true;
            continue;
        }
        if (indent == 0 && line.back() == ':') {
            page << ".SH " << Escape(Upper(line.substr(0, line.size() - 1))) << "\n";
            textInSection = false;
        } else if (indent == 0) {
            if (blank && textInSection) page << ".PP\n";
            page << Escape(line) << "\n";
            textInSection = true;
        } else if (indent < 8) {
            const std::string item = line.substr(indent);
            const auto gap = item.find("  ");
            page << ".TP\n\\fB" << Escape(item.substr(0, gap)) << "\\fR\n";
            if (gap != std::string::npos) page << Escape(item.substr(item.find_first_not_of(' ', gap))) << "\n";
            textInSection = true;
        } else {
            page << Escape(line.substr(indent)) << "\n";
        }
        blank = false;
    }
    std::ifstream extra(argv[2]);
    if (!extra) {
        std::cerr << "help_to_man: cannot read " << argv[2] << "\n";
        return 1;
    }
    page << extra.rdbuf();
    std::ofstream out(argv[3]);
    out << page.str();
    return out.good() ? 0 : 1;
}
