// Runs readers over the rendered set and prints, for each reader, a table by group of images:
// character error rate, line recall, word error on English lines and median time per image.
//
//   pagereader_bench <set-dir> <engine>... [--repeat N] [--details]
//
// An engine is "json:<name>:<program>[:<extra argument>...]" for programs that take
// --image <path> and print pagereader's JSON, or "tsv:<name>:<program>" for the tesseract tool,
// which runs on one thread with sparse-text segmentation and the same three languages.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "os/subprocess.h"
#include "scoring.h"

extern char** environ;

namespace {

// Far longer than any reader takes on one image; a hung one must not stall the whole run.
constexpr std::chrono::minutes kRunTimeout{10};

struct Engine {
  std::string name;
  bool tesseractTsv = false;
  std::vector<std::string> command;
};

struct ImageEntry {
  std::string file, kind, theme, script, contrast, encoding;
  int pixels = 0;
  std::vector<ScoredLine> truth;
};

struct Result {
  ImageScore score;
  std::vector<double> seconds;
};

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
  return parts;
}

std::optional<Engine> parseEngine(const std::string& text) {
  const std::vector<std::string> parts = split(text, ':');
  if (parts.size() < 3 || (parts[0] != "json" && parts[0] != "tsv")) return std::nullopt;
  Engine engine{parts[1], parts[0] == "tsv", {parts.begin() + 2, parts.end()}};
  return engine;
}

// Runs `argv` with `extraEnvironment` added, returns its standard output and the wall time it
// took.
std::pair<std::string, double> run(const std::vector<std::string>& argv,
                                   const std::vector<std::string>& extraEnvironment) {
  os::Command command;
  command.argv = argv;
  command.environment = extraEnvironment;  // first, so they win over inherited ones
  for (char** e = environ; *e; ++e) command.environment->push_back(*e);
  command.output = os::Stream::kCapture;
  command.errors = os::Stream::kNull;
  const auto start = std::chrono::steady_clock::now();
  auto ran = os::run(command, kRunTimeout);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {ran ? std::move(ran->output) : "", seconds};
}

std::vector<ScoredLine> parseJsonLines(const std::string& out) {
  std::vector<ScoredLine> lines;
  try {
    const auto json = nlohmann::json::parse(out);
    if (!json.contains("blocks")) return lines;
    for (const auto& block : json.at("blocks")) {
      const auto& box = block.at("bbox");
      lines.push_back({block.at("text").get<std::string>(), box.at(0).get<double>(),
                       box.at(1).get<double>(), box.at(2).get<double>(), box.at(3).get<double>()});
    }
  } catch (const std::exception&) {
  }
  return lines;
}

// Words of one block, paragraph and line make one line, boxes joined.
std::vector<ScoredLine> parseTesseractTsv(const std::string& out) {
  std::map<std::tuple<int, int, int, int>, ScoredLine> byLine;
  std::vector<std::tuple<int, int, int, int>> order;
  std::stringstream stream(out);
  std::string row;
  std::getline(stream, row);  // header
  while (std::getline(stream, row)) {
    const std::vector<std::string> f = split(row, '\t');
    if (f.size() < 12 || f[0] != "5") continue;
    std::string text = f[11];
    for (std::size_t i = 12; i < f.size(); ++i) text += "\t" + f[i];
    if (text.find_first_not_of(' ') == std::string::npos) continue;
    const auto key =
        std::make_tuple(std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3]), std::stoi(f[4]));
    const double left = std::stod(f[6]), top = std::stod(f[7]), width = std::stod(f[8]),
                 height = std::stod(f[9]);
    auto found = byLine.find(key);
    if (found == byLine.end()) {
      byLine.emplace(key, ScoredLine{text, left, top, width, height});
      order.push_back(key);
      continue;
    }
    ScoredLine& line = found->second;
    const double right = std::max(line.left + line.width, left + width);
    const double bottom = std::max(line.top + line.height, top + height);
    line.left = std::min(line.left, left);
    line.top = std::min(line.top, top);
    line.width = right - line.left;
    line.height = bottom - line.top;
    line.text += " " + text;
  }
  std::vector<ScoredLine> lines;
  for (const auto& key : order) lines.push_back(byLine.at(key));
  return lines;
}

std::vector<std::string> environmentFor(const Engine& engine) {
  if (engine.tesseractTsv) return {"OMP_THREAD_LIMIT=1"};
  return {};
}

std::vector<std::string> commandFor(const Engine& engine, const std::string& image) {
  std::vector<std::string> argv = engine.command;
  if (engine.tesseractTsv) {
    argv.insert(argv.end(), {image, "stdout", "--psm", "11", "-l", "chi_sim+chi_tra+eng", "tsv"});
  } else {
    argv.insert(argv.begin() + 1, {"--image", image});
  }
  return argv;
}

// The manifest names its columns in its first row.
std::vector<ImageEntry> readSet(const std::string& dir) {
  std::vector<ImageEntry> images;
  std::ifstream manifest(dir + "/manifest.tsv");
  std::string row;
  std::getline(manifest, row);
  const std::vector<std::string> header = split(row, '\t');
  const auto column = [&](const std::vector<std::string>& fields, const std::string& name) {
    const auto found = std::find(header.begin(), header.end(), name);
    const auto index = static_cast<std::size_t>(found - header.begin());
    return index < fields.size() ? fields[index] : std::string();
  };
  while (std::getline(manifest, row)) {
    const std::vector<std::string> f = split(row, '\t');
    ImageEntry entry{column(f, "file"),
                     column(f, "kind"),
                     column(f, "theme"),
                     column(f, "script"),
                     column(f, "contrast"),
                     column(f, "encoding"),
                     std::atoi(column(f, "pixels").c_str()),
                     {}};
    if (entry.file.empty()) continue;
    std::ifstream truth(dir + "/" + entry.file.substr(0, entry.file.rfind('.')) + ".tsv");
    for (std::string line; std::getline(truth, line);) {
      const std::vector<std::string> t = split(line, '\t');
      if (t.size() < 5) continue;
      entry.truth.push_back(
          {t[4], std::stod(t[0]), std::stod(t[1]), std::stod(t[2]), std::stod(t[3])});
    }
    images.push_back(std::move(entry));
  }
  return images;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <set-dir> <engine>... [--repeat N] [--details]\n", argv[0]);
    return 2;
  }
  const std::string setDir = argv[1];
  std::vector<Engine> engines;
  int repeat = 1;
  bool details = false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--repeat" && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--details") {
      details = true;
    } else if (auto engine = parseEngine(arg)) {
      engines.push_back(*engine);
    } else {
      std::fprintf(stderr, "bad engine: %s\n", arg.c_str());
      return 2;
    }
  }
  const std::vector<ImageEntry> images = readSet(setDir);
  if (images.empty()) {
    std::fprintf(stderr, "no images in %s\n", setDir.c_str());
    return 1;
  }

  // One untimed run each, so that every program starts with its files in the page cache.
  for (const Engine& engine : engines)
    run(commandFor(engine, setDir + "/" + images.front().file), environmentFor(engine));

  std::vector<std::vector<Result>> results(engines.size(), std::vector<Result>(images.size()));
  for (int round = 0; round < repeat; ++round) {
    for (std::size_t i = 0; i < images.size(); ++i) {
      const std::string path = setDir + "/" + images[i].file;
      for (std::size_t e = 0; e < engines.size(); ++e) {
        const auto [out, seconds] = run(commandFor(engines[e], path), environmentFor(engines[e]));
        results[e][i].seconds.push_back(seconds);
        if (round != 0) continue;
        const auto lines = engines[e].tesseractTsv ? parseTesseractTsv(out) : parseJsonLines(out);
        const ImageScore score = scoreImage(images[i].truth, lines);
        results[e][i].score = score;
        if (details) {
          std::printf(
              "%-12s %-44s CER %5.1f%%  lines %zu/%zu (found %zu, detected %zu)  words %zu/%zu "
              "wrong\n",
              engines[e].name.c_str(), images[i].file.c_str(),
              100.0 * static_cast<double>(score.edits) /
                  static_cast<double>(std::max<std::size_t>(1, score.truthCharacters)),
              score.recalledLines, score.truthLines, score.foundLines, score.detectedLines,
              score.wordEdits, score.truthWords);
        }
      }
    }
  }

  using Filter = std::function<bool(const ImageEntry&)>;
  const auto field = [](std::string ImageEntry::*member, std::string value) -> Filter {
    return [member, value](const ImageEntry& e) { return e.*member == value; };
  };
  const std::vector<std::pair<std::string, Filter>> groups = {
      {"all", [](const ImageEntry&) { return true; }},
      {"contrast normal", field(&ImageEntry::contrast, "normal")},
      {"contrast low", field(&ImageEntry::contrast, "low")},
      {"English", field(&ImageEntry::script, "en")},
      {"Simplified", field(&ImageEntry::script, "hans")},
      {"Traditional", field(&ImageEntry::script, "hant")},
      {"mixed", field(&ImageEntry::script, "mixed")},
      {"text 10-12 px", [](const ImageEntry& e) { return e.pixels <= 12; }},
      {"text 13-16 px", [](const ImageEntry& e) { return e.pixels >= 13 && e.pixels <= 16; }},
      {"text 17+ px", [](const ImageEntry& e) { return e.pixels > 16; }},
      {"dialog", field(&ImageEntry::kind, "dialog")},
      {"settings", field(&ImageEntry::kind, "settings")},
      {"table", field(&ImageEntry::kind, "table")},
      {"chat", field(&ImageEntry::kind, "chat")},
      {"web/document", [](const ImageEntry& e) { return e.kind == "document" || e.kind == "web"; }},
      {"man page", field(&ImageEntry::kind, "man")},
      {"toolkit", field(&ImageEntry::kind, "toolkit")},
      {"PNG", field(&ImageEntry::encoding, "png")},
      {"JPEG", field(&ImageEntry::encoding, "jpeg")},
      {"rotated", field(&ImageEntry::encoding, "rotated")},
      {"light theme", field(&ImageEntry::theme, "light")},
      {"dark theme", field(&ImageEntry::theme, "dark")},
  };

  for (std::size_t e = 0; e < engines.size(); ++e) {
    std::printf("\n%s\n%-16s %6s %8s %8s %8s %8s %8s %8s %8s\n", engines[e].name.c_str(), "group",
                "images", "CER", "recall", "found", "detected", "en words", "WER en", "median");
    for (const auto& [label, filter] : groups) {
      std::size_t count = 0, chars = 0, edits = 0, lines = 0, recalled = 0, found = 0, detected = 0,
                  words = 0, wordEdits = 0;
      std::vector<double> seconds;
      for (std::size_t i = 0; i < images.size(); ++i) {
        if (!filter(images[i])) continue;
        const Result& r = results[e][i];
        ++count;
        chars += r.score.truthCharacters;
        edits += r.score.edits;
        lines += r.score.truthLines;
        recalled += r.score.recalledLines;
        found += r.score.foundLines;
        detected += r.score.detectedLines;
        words += r.score.truthWords;
        wordEdits += r.score.wordEdits;
        seconds.insert(seconds.end(), r.seconds.begin(), r.seconds.end());
      }
      if (count == 0) continue;
      const auto percent = [](std::size_t part, std::size_t whole) {
        return 100.0 * static_cast<double>(part) /
               static_cast<double>(std::max<std::size_t>(1, whole));
      };
      std::printf("%-16s %6zu %7.2f%% %7.1f%% %7.1f%% %7.1f%% ", label.c_str(), count,
                  percent(edits, chars), percent(recalled, lines), percent(found, lines),
                  percent(detected, lines));
      std::printf("%8zu ", words);
      if (words > 0) {
        std::printf("%7.1f%% ", percent(wordEdits, words));
      } else {
        std::printf("%8s ", "-");
      }
      std::printf("%7.3fs\n", median(seconds));
    }
  }
  return 0;
}
