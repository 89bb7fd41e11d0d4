// BackupConfig and RestoreConfig against tar and gzip on the same tree.
//
//   build/bench/backup_bench [--size-mib=1024] [--files=10000]
//                            [--dir=/tmp/tarvelin-backup-bench] [--repeat=1] [--keep]
//
// Generates (once, reused while its size matches) an installation whose mail
// root holds --files mail-like files of --size-mib in total, then times, each
// in a child process so that peak memory is the operation's own:
//   backup:  BackupConfig (setting 254 on)  vs  tar -cf - DIR | gzip -6 > x.tgz
//   restore: RestoreConfig of that archive  vs  gzip -dc x.tgz | tar -xf -
// and prints wall times, their ratios, archive sizes and peak RSS. Not run by
// CI; use a smaller --size-mib when the machine is busy.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "jobs/backup/backup_sources.h"
#include "schema/config_offsets.h"
#include "schema/server_config.h"
#include "foundation/scramble.h"
#include "tarvelin/api.h"

namespace fs = std::filesystem;

namespace {

struct Options {
  int64_t size_mib = 1024;
  int files = 10000;
  std::string dir = (fs::temp_directory_path() / "tarvelin-backup-bench").string();
  int repeat = 1;
  bool keep = false;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&](const char* name) -> const char* {
      const size_t length = std::strlen(name);
      return arg.compare(0, length, name) == 0 ? arg.c_str() + length : nullptr;
    };
    if (const char* v = value("--size-mib=")) {
      options.size_mib = std::atoll(v);
    } else if (const char* v = value("--files=")) {
      options.files = std::atoi(v);
    } else if (const char* v = value("--dir=")) {
      options.dir = v;
    } else if (const char* v = value("--repeat=")) {
      options.repeat = std::max(1, std::atoi(v));
    } else if (arg == "--keep") {
      options.keep = true;
    } else {
      std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
      std::exit(2);
    }
  }
  return options;
}

// Deterministic generator (xorshift64*).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 2685821657736338717ULL + 1) {}
  uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 2685821657736338717ULL;
  }
  uint64_t Below(uint64_t n) { return Next() % n; }

 private:
  uint64_t state_;
};

// Mail-like text: headers (a DKIM signature among them), then prose from a
// vocabulary whose word frequencies fall off like a natural language's;
// one mail in four carries an attachment (Base64 of random bytes, as
// compressed documents and pictures look) that makes up most of it.
class MailText {
 public:
  MailText() {
    Random random(7);
    for (int i = 0; i < 1500; ++i) {
      std::string word;
      const int length = 2 + static_cast<int>(random.Below(4) + random.Below(5));
      for (int j = 0; j < length; ++j) word.push_back(static_cast<char>('a' + random.Below(26)));
      words_.push_back(word);
    }
  }

  std::string Make(uint64_t seed, size_t size) const {
    Random random(seed);
    std::string text;
    text.reserve(size + 128);
    text += "Received: from mx" + std::to_string(random.Below(50)) +
            ".example.net by mail.example.org with ESMTP id " + std::to_string(random.Next()) +
            "\r\nFrom: " + Word(random) + "@example.net\r\nTo: " + Word(random) +
            "@example.org\r\nSubject: " + Word(random) + " " + Word(random) + " " + Word(random) +
            "\r\nDate: Mon, " + std::to_string(1 + random.Below(28)) +
            " Jan 2024 10:00:00 +0000\r\nMessage-ID: <" + std::to_string(random.Next()) +
            "@example.net>\r\nDKIM-Signature: v=1; a=rsa-sha256; d=example.net; b=";
    AppendBase64(random, 344, &text);
    text += "\r\nMIME-Version: 1.0\r\n\r\n";
    const bool attachment = random.Below(4) == 0;
    const size_t prose_end = attachment ? size * 3 / 10 : size;
    size_t column = 0;
    while (text.size() < prose_end) {
      const std::string& word = Word(random);
      text += word;
      column += word.size() + 1;
      if (column > 72) {
        text += "\r\n";
        column = 0;
      } else {
        text += random.Below(12) == 0 ? ". " : " ";
      }
    }
    if (attachment) {
      text += "\r\n--b\r\nContent-Transfer-Encoding: base64\r\n\r\n";
      while (text.size() < size) {
        AppendBase64(random, 76, &text);
        text += "\r\n";
      }
    }
    text.resize(size);
    return text;
  }

 private:
  static void AppendBase64(Random& random, int length, std::string* text) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < length; ++i) text->push_back(kAlphabet[random.Below(64)]);
  }

  const std::string& Word(Random& random) const {
    // A power of a uniform pick favours the first words (Zipf-like).
    const double u = static_cast<double>(random.Below(1 << 20)) / (1 << 20);
    return words_[static_cast<size_t>(u * u * u * u * static_cast<double>(words_.size()))];
  }

  std::vector<std::string> words_;
};

void WriteFile(const fs::path& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// settings.cfg with the mail root inside the installation and the mail
// backup switched on, *.imap files included.
void WriteSettings(const std::string& install) {
  tarvelin::ServerConfig record;
  record.SetText(tarvelin::offsets::kTempDirectory, install + "temp/");
  record.SetText(tarvelin::offsets::kMailRoot, install + "mail/");
  record.SetText(tarvelin::offsets::kLogDirectory, install + "logs/");
  record.SetByte(tarvelin::backup_offsets::kTakeMail, 1);
  record.SetByte(tarvelin::backup_offsets::kTakeMailTempFiles, 1);
  std::string bytes(reinterpret_cast<const char*>(record.data()), tarvelin::kServerConfigSize);
  tarvelin::ScrambleBytes(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), 0);
  fs::create_directories(install + "config");
  WriteFile(install + "config/settings.cfg", bytes);
}

// The mail tree: sizes spread over two orders of magnitude, scaled to the
// total. Reused when a marker says it has the asked size.
void GenerateTree(const Options& options, const std::string& install) {
  const std::string marker = options.dir + "/tree-" + std::to_string(options.size_mib) + "-" +
                             std::to_string(options.files);
  if (fs::exists(marker) && fs::exists(install + "mail")) return;
  fs::remove_all(options.dir);
  fs::create_directories(install);
  WriteSettings(install);
  Random random(42);
  std::vector<double> weights(static_cast<size_t>(options.files));
  double sum = 0;
  for (double& w : weights) {
    w = std::pow(100.0, static_cast<double>(random.Below(1000)) / 1000.0);
    sum += w;
  }
  const double total = static_cast<double>(options.size_mib) * 1048576.0;
  const MailText text;
  for (int i = 0; i < options.files; ++i) {
    const fs::path folder = fs::path(install) / "mail" / ("domain" + std::to_string(i / 500)) /
                            ("user" + std::to_string(i / 20 % 25));
    fs::create_directories(folder);
    const size_t size = static_cast<size_t>(weights[static_cast<size_t>(i)] / sum * total);
    WriteFile(folder / (std::to_string(i) + ".imap"), text.Make(static_cast<uint64_t>(i), size));
  }
  WriteFile(marker, "");
}

struct Measure {
  double seconds = 0;
  double cpu_seconds = 0;
  long peak_rss_kib = 0;
  int status = -1;
};

// Runs `body` in a child process; its exit code is body's result.
Measure InChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Measure measure;
  measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  measure.peak_rss_kib = usage.ru_maxrss;
  measure.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  measure.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return measure;
}

Measure Shell(const std::string& command) {
  return InChild([&] {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    return 127;
  });
}

Measure Best(const std::vector<Measure>& runs) {
  return *std::min_element(runs.begin(), runs.end(), [](const Measure& a, const Measure& b) {
    return a.seconds < b.seconds;
  });
}

void Check(const Measure& measure, const char* what) {
  if (measure.status != 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", what, measure.status);
    std::exit(1);
  }
}

int64_t SizeOf(const std::string& path) { return static_cast<int64_t>(fs::file_size(path)); }

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  const std::string install = options.dir + "/inst/";
  const std::string archive = options.dir + "/backup.ilds";
  const std::string tgz = options.dir + "/x.tgz";
  const std::string untar = options.dir + "/untar";

  std::printf("tree: %lld MiB in %d files under %s\n", static_cast<long long>(options.size_mib),
              options.files, install.c_str());
  GenerateTree(options, install);
  std::printf("cores: %ld\n", sysconf(_SC_NPROCESSORS_ONLN));

  std::vector<Measure> ours_backup, tar_backup, ours_restore, tar_restore;
  for (int round = 0; round < options.repeat; ++round) {
    tar_backup.push_back(Shell("tar -cf - -C '" + install + "' . | gzip -6 > '" + tgz + "'"));
    Check(tar_backup.back(), "tar | gzip");
    ours_backup.push_back(InChild([&] {
      if (::Init(install.c_str()) != 0) return 3;
      return ::BackupConfig(archive.c_str()) == 0 ? 0 : 4;
    }));
    Check(ours_backup.back(), "BackupConfig");

    fs::remove_all(untar);
    fs::create_directories(untar);
    tar_restore.push_back(Shell("gzip -dc '" + tgz + "' | tar -xf - -C '" + untar + "'"));
    Check(tar_restore.back(), "gzip -dc | tar -x");
    fs::remove_all(untar);

    fs::remove_all(install + "mail");
    ours_restore.push_back(InChild([&] {
      if (::Init(install.c_str()) != 0) return 3;
      return ::RestoreConfig(archive.c_str()) == 0 ? 0 : 4;
    }));
    Check(ours_restore.back(), "RestoreConfig");
    fs::remove(options.dir + "/tree-" + std::to_string(options.size_mib) + "-" +
               std::to_string(options.files));
  }
  // The restore wrote the tree back; mark it reusable again.
  WriteFile(options.dir + "/tree-" + std::to_string(options.size_mib) + "-" +
                std::to_string(options.files),
            "");

  const Measure ob = Best(ours_backup), tb = Best(tar_backup);
  const Measure orr = Best(ours_restore), tr = Best(tar_restore);
  const int64_t ours_size = SizeOf(archive), tar_size = SizeOf(tgz);
  std::printf(
      "backup:  BackupConfig %.2f s (cpu %.2f s, peak RSS %ld KiB)  tar|gzip -6 %.2f s (cpu %.2f s)"
      "  ratio %.3f\n",
      ob.seconds, ob.cpu_seconds, ob.peak_rss_kib, tb.seconds, tb.cpu_seconds,
      ob.seconds / tb.seconds);
  std::printf("size:    archive %lld bytes  x.tgz %lld bytes  ratio %.4f\n",
              static_cast<long long>(ours_size), static_cast<long long>(tar_size),
              static_cast<double>(ours_size) / static_cast<double>(tar_size));
  std::printf(
      "restore: RestoreConfig %.2f s (cpu %.2f s, peak RSS %ld KiB)  gzip -dc|tar -x %.2f s"
      " (cpu %.2f s)  ratio %.3f\n",
      orr.seconds, orr.cpu_seconds, orr.peak_rss_kib, tr.seconds, tr.cpu_seconds,
      orr.seconds / tr.seconds);
  if (!options.keep) fs::remove_all(options.dir);
  return 0;
}
