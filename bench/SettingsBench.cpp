// Loads and saves a settings file of 100,000 keys in 1,000 sections with the
// storage and its INI back-end, and the same content with QSettings in INI
// format, each side in a child process of its own so that its peak memory
// is its own. Prints the best of several rounds and the ratios.
#include "settings/rsIniData.h"

#include <QSettings>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Sections = 1000;
constexpr int KeysPerSection = 100;
constexpr int Rounds = 5;

std::string SectionName(int s)
{
    return "Section" + std::to_string(1000 + s);
}

std::string KeyName(int k)
{
    return "Key" + std::to_string(100 + k);
}

// Every third key is a number, the others text of ordinary length.
bool IsNumber(int k)
{
    return k % 3 == 0;
}

std::string Text(int s, int k)
{
    return "value " + std::to_string(s) + " of key " + std::to_string(k) + " with some words";
}

double Milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

struct Figures {
    double load = 1e9;
    double save = 1e9;
    long peakKilobytes = 0;
};

// Runs the measurement in a child; the child reports its times through a pipe.
Figures InChild(const std::function<Figures()>& measure)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const Figures figures = measure();
        if (write(channel[1], &figures, sizeof figures) != sizeof figures)
            _exit(1);
        _exit(0);
    }
    close(channel[1]);
    Figures figures;
    if (read(channel[0], &figures, sizeof figures) != sizeof figures)
        std::fprintf(stderr, "the measuring child failed\n");
    close(channel[0]);
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    figures.peakKilobytes = usage.ru_maxrss;
    return figures;
}

struct StorageFile {
    explicit StorageFile(const std::string& path)
    {
        ini.FileName = path;
        ini.FileDir = fdCustom;
        ini.Options = 0;
        storage.SetStorageData(&ini);
    }
    TrsIniData ini;
    TrsStorage storage;
};

Figures MeasureStorage(const std::string& path)
{
    Figures figures;
    {
        StorageFile file(path);
        for (int s = 0; s < Sections; ++s) {
            file.storage.SetRootSection(SectionName(s));
            for (int k = 0; k < KeysPerSection; ++k) {
                if (IsNumber(k))
                    file.storage.WriteInteger(KeyName(k), s * KeysPerSection + k);
                else
                    file.storage.WriteString(KeyName(k), Text(s, k));
            }
        }
        for (int round = 0; round < Rounds; ++round)
            figures.save = std::min(figures.save, Milliseconds([&] { file.storage.Save(); }));
    }
    for (int round = 0; round < Rounds; ++round) {
        StorageFile file(path);
        figures.load = std::min(figures.load, Milliseconds([&] { file.storage.Load(); }));
        if (file.storage.KeyItemCount() != Sections * KeysPerSection)
            std::fprintf(stderr, "storage loaded %d keys\n", file.storage.KeyItemCount());
    }
    return figures;
}

Figures MeasureQSettings(const std::string& path)
{
    const QString file = QString::fromStdString(path);
    Figures figures;
    for (int round = 0; round < Rounds; ++round) {
        std::filesystem::remove(path);
        QSettings settings(file, QSettings::IniFormat);
        for (int s = 0; s < Sections; ++s) {
            settings.beginGroup(QString::fromStdString(SectionName(s)));
            for (int k = 0; k < KeysPerSection; ++k) {
                const QString key = QString::fromStdString(KeyName(k));
                if (IsNumber(k))
                    settings.setValue(key, s * KeysPerSection + k);
                else
                    settings.setValue(key, QString::fromStdString(Text(s, k)));
            }
            settings.endGroup();
        }
        figures.save = std::min(figures.save, Milliseconds([&] { settings.sync(); }));
    }
    for (int round = 0; round < Rounds; ++round) {
        qsizetype count = 0;
        figures.load = std::min(figures.load, Milliseconds([&] {
            QSettings settings(file, QSettings::IniFormat);
            count = settings.allKeys().size();
        }));
        if (count != Sections * KeysPerSection)
            std::fprintf(stderr, "QSettings loaded %lld keys\n", static_cast<long long>(count));
    }
    return figures;
}

} // namespace

int main()
{
    char pattern[] = "/tmp/settings-bench-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    const Figures storage = InChild([&] { return MeasureStorage(folder + "/storage.ini"); });
    const Figures qt = InChild([&] { return MeasureQSettings(folder + "/qsettings.ini"); });
    const auto size = [&](const char* name) {
        return static_cast<long long>(std::filesystem::file_size(folder + "/" + name));
    };
    std::printf(
        "%d keys in %d sections; best of %d rounds\n", Sections * KeysPerSection, Sections, Rounds);
    std::printf("file size   storage %lld bytes, QSettings %lld bytes\n", size("storage.ini"),
        size("qsettings.ini"));
    std::printf("load        storage %8.1f ms   QSettings %8.1f ms   %.1fx faster\n", storage.load,
        qt.load, qt.load / storage.load);
    std::printf("save        storage %8.1f ms   QSettings %8.1f ms   %.1fx faster\n", storage.save,
        qt.save, qt.save / storage.save);
    std::printf("peak memory storage %8ld KB   QSettings %8ld KB\n", storage.peakKilobytes,
        qt.peakKilobytes);
    std::filesystem::remove_all(folder);
    return 0;
}
