// Renders every showcase to PNG and writes an HTML index: gallery [--out DIR] [--only NAME]
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "gallery.h"
#include "vcl/sysutils.h"

namespace {

std::string Html(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Prefix(const std::string& component) {
    std::string prefix;
    for (const unsigned char c : component) {
        if (std::isalnum(c)) prefix += static_cast<char>(std::tolower(c));
    }
    return prefix;
}

struct Result {
    const gallery::Showcase* showcase;
    std::vector<gallery::Shot> shots;
    std::string error;
};

void WriteIndex(const std::string& path, const std::vector<Result>& results) {
    std::ofstream out(path);
    out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Zyl gallery</title>\n"
           "<style>body{font-family:sans-serif;background:#d4d0c8;margin:2em}"
           "section{background:#fff;border:1px solid #808080;margin:1em 0;padding:1em}"
           "figure{display:inline-block;vertical-align:top;margin:0 1.5em 1em 0}"
           "figcaption{font-size:90%;color:#333}img{image-rendering:pixelated;border:1px solid #ccc}"
           "pre{font-size:80%;background:#f4f4f4;padding:.5em;max-height:20em;overflow:auto}"
           ".error{color:#a00}</style></head><body>\n<h1>Zyl gallery</h1>\n";
    std::map<std::string, std::vector<const Result*>> byPackage;
    for (const auto& result : results)
        byPackage[result.showcase->package].push_back(&result);
    for (const auto& [package, list] : byPackage) {
        out << "<h2>" << Html(package) << "</h2>\n";
        for (const Result* result : list) {
            out << "<section><h3>" << Html(result->showcase->component) << "</h3><p>"
                << Html(result->showcase->description) << "</p>\n";
            if (!result->error.empty()) out << "<p class=\"error\">" << Html(result->error) << "</p>\n";
            for (const auto& shot : result->shots) {
                out << "<figure><img src=\"" << Html(shot.imageFile) << "\" width=\"" << shot.width
                    << "\" height=\"" << shot.height << "\" alt=\"" << Html(shot.caption) << "\"><figcaption>"
                    << Html(shot.caption) << "<details><summary>properties</summary><pre>"
                    << Html(shot.properties) << "</pre></details></figcaption></figure>\n";
            }
            out << "</section>\n";
        }
    }
    out << "</body></html>\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir = "gallery";
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            outDir = argv[++i];
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--out DIR] [--only COMPONENT]\n", argv[0]);
            return 2;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (error) {
        std::fprintf(stderr, "gallery: cannot create %s: %s\n", outDir.c_str(), error.message().c_str());
        return 1;
    }

    std::vector<Result> results;
    int failures = 0;
    size_t pictures = 0;
    for (const auto& showcase : gallery::Showcases()) {
        if (!only.empty() && !vcl::SameText(only, showcase.component)) continue;
        Result result{&showcase, {}, {}};
        {
            gallery::Album album(outDir, Prefix(showcase.package + "-" + showcase.component));
            try {
                showcase.build(album);
            } catch (const std::exception& e) {
                result.error = e.what();
                ++failures;
                std::fprintf(stderr, "gallery: %s: %s\n", showcase.component.c_str(), e.what());
            }
            result.shots = album.Shots();
        }
        pictures += result.shots.size();
        results.push_back(std::move(result));
    }
    const std::string index = outDir + "/index.html";
    WriteIndex(index, results);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu pictures of %zu showcases in %.1f s: %s\n", pictures, results.size(), seconds,
                std::filesystem::absolute(index).c_str());
    return failures == 0 ? 0 : 1;
}
