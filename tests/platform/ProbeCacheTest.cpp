#include "TestSupport.h"

#include "LoopDevices.h"
#include "platform/DiskList.h"
#include "platform/ProbeCache.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr int64_t kSecond = 1'000'000'000;

DiskEntry Probed(const std::string& label)
{
    DiskEntry entry;
    entry.content = Content::FileSystem;
    entry.label = label;
    entry.fileSystemType = "ext4";
    entry.uuid = "0c1f";
    return entry;
}

TEST(DiskProbeCache, ServesOnlyTheSameMediaForAFewSeconds)
{
    TempFolder dir;
    const ProbeCache::Key key{{259, 3}, 2, 34816, 16777216, 42, "0,0,0"};
    const std::string label = "A label\nwith \\x41 \t and\xff bytes";
    const int64_t t0 = 1000 * kSecond;
    {
        ProbeCache cache(dir.Path() / "cache");
        cache.Store(key, Probed(label), t0);
        cache.Save(t0);
    }
    struct Case {
        const char* what;
        ProbeCache::Key key;
        int64_t now;
        bool served;
    };
    const Case cases[] = {
        {"same media a moment later", key, t0 + kSecond, true},
        {"just within its lifetime", key, t0 + 2'900'000'000, true},
        {"past its lifetime", key, t0 + 3'000'000'000, false},
        {"clock before the entry", key, t0 - 1, false},
        {"attached again or new media", {{259, 3}, 2, 34816, 16777216, 43, "0,0,0"}, t0 + 1, false},
        {"another device", {{259, 4}, 2, 34816, 16777216, 42, "0,0,0"}, t0 + 1, false},
        // The partition table was read anew and the number went to another partition.
        {"another partition", {{259, 3}, 1, 34816, 16777216, 42, "0,0,0"}, t0 + 1, false},
        {"the partition moved", {{259, 3}, 2, 2048, 16777216, 42, "0,0,0"}, t0 + 1, false},
        {"another size", {{259, 3}, 2, 34816, 8388608, 42, "0,0,0"}, t0 + 1, false},
        {"written since", {{259, 3}, 2, 34816, 16777216, 42, "1,8,0"}, t0 + 1, false},
    };
    ProbeCache cache(dir.Path() / "cache");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DiskEntry entry;
        EXPECT_EQ(cache.Find(c.key, entry, c.now), c.served);
        if (c.served) {
            EXPECT_EQ(entry.label, label);
            EXPECT_EQ(entry.content, Content::FileSystem);
            EXPECT_EQ(entry.fileSystemType, "ext4");
            EXPECT_EQ(entry.uuid, "0c1f");
        }
    }
}

TEST(DiskProbeCache, FolderOthersCanChangeIsNotTrusted)
{
    TempFolder dir;
    const ProbeCache::Key key{{7, 3}, 0, 0, 4096, 42, "0"};
    const int64_t now = ProbeCache::Now();
    {
        ProbeCache cache(dir.Path() / "cache");
        cache.Store(key, Probed("FROM CACHE"), now);
        cache.Save(now);
    }
    ASSERT_TRUE(fs::exists(dir.Path() / "cache/probe-cache"));
    EXPECT_EQ(fs::status(dir.Path() / "cache").permissions() & fs::perms::all, fs::perms::owner_all);
    fs::create_directory_symlink(dir.Path() / "cache", dir.Path() / "link");
    DiskEntry entry;
    EXPECT_FALSE(ProbeCache(dir.Path() / "link").Find(key, entry, now));
    fs::permissions(dir.Path() / "cache", fs::perms::others_write, fs::perm_options::add);
    EXPECT_FALSE(ProbeCache(dir.Path() / "cache").Find(key, entry, now));
}

TEST(DiskProbeCache, ListingSeesWritesAndNewMedia)
{
    FakeSystem system;
    ASSERT_EQ(system.Error(), "");
    TempFolder cache;
    const fs::path sdc = system.Root() / "sys/block/sdc";
    auto setDevice = [&](int sequence, int writes, int inFlight) {
        std::ofstream(sdc / "diskseq") << sequence << "\n";
        std::ofstream(sdc / "stat") << "5 0 40 1 " << writes << " 0 " << writes * 8 << " 0 " << inFlight
                                    << " 3 3 0 0 0 0 0 0\n";
    };
    struct Step {
        const char* relabel;  // written to the image behind the device's back; null: left alone
        int sequence;
        int writes;
        int inFlight;
        const char* shown;
    };
    const Step steps[] = {
        {nullptr, 40, 0, 0, "Device Node: x"},
        {"Second", 40, 0, 0, "Device Node: x"},  // same media, no write seen: the probe of a moment ago holds
        {nullptr, 40, 0, 1, "Second"},           // requests in flight: the counters may not tell yet
        {nullptr, 40, 2, 0, "Second"},           // the device was written to
        {"Third", 41, 2, 0, "Third"},            // attached again or its media changed
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.shown);
        if (step.relabel) {
            ASSERT_EQ(MakeImage(system.Root() / "dev/sdc", "ext4", step.relabel, 2), "");
        }
        setDevice(step.sequence, step.writes, step.inFlight);
        DiskList disks{SystemRoot(system.Root())};
        disks.UseProbeCache(cache.Path() / "tarnvik");
        ASSERT_TRUE(disks.Load());
        disks.ProbeAll();
        EXPECT_EQ(disks.Find("sdc")->VolumeName(), step.shown);
    }
}

}  // namespace
