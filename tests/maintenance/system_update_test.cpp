// The system update: archives made here with libarchive, one of them hostile,
// and the script started from its argument vector.
#include <archive.h>
#include <archive_entry.h>

#include "maintenance/system_update.h"
#include "maintenance_test.h"
#include "support/captured_log.h"

namespace {

struct Member {
    std::string name;
    std::string content;  // a file's bytes, or a link's target
    unsigned type = AE_IFREG;
    unsigned perm = 0644;
};

void WriteArchive(const std::string& path, const std::vector<Member>& members) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    struct archive* a = archive_write_new();
    archive_write_add_filter_gzip(a);
    archive_write_set_format_pax_restricted(a);
    ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
    for (const Member& m : members) {
        struct archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, m.name.c_str());
        archive_entry_set_filetype(e, m.type);
        archive_entry_set_perm(e, m.perm);
        if (m.type == AE_IFLNK) archive_entry_set_symlink(e, m.content.c_str());
        if (m.type == AE_IFREG) archive_entry_set_size(e, la_int64_t(m.content.size()));
        archive_write_header(a, e);
        if (m.type == AE_IFREG) archive_write_data(a, m.content.data(), m.content.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

using SystemUpdateTest = ProgramFolderTest;

TEST_F(SystemUpdateTest, UnpacksTheArchiveAndRunsItsScript) {
    // The script proves it ran, where, and with which arguments.
    const std::string script = "#!/bin/sh\necho \"$# $(pwd)\" > ran.txt\n";
    WriteArchive(Stick("pkg/qcc_update.tar.gz"), {{"qcc_update.sh", script, AE_IFREG, 04700},
                                                  {"files", "", AE_IFDIR, 0755},
                                                  {"files/keswin", "program"},
                                                  {"files/latest", "keswin", AE_IFLNK}});
    std::filesystem::create_directories(root.File("tmp/softupdate"));
    Put(root.File("tmp/softupdate/stale"), "from before");
    std::string log = Logged([] { EXPECT_EQ(UpdateSystem(), kSystemUpdateRan); });
    EXPECT_EQ(messages.shown, std::vector<std::string>{"UPDATE FILE FOUND:\n" + Stick("pkg") +
                                                       "/qcc_update.tar.gz\nPROCEED WITH UPDATE?"});
    EXPECT_NE(log.find("sys: " + root.File("tmp/softupdate/qcc_update.sh")), std::string::npos);
    EXPECT_EQ(ReadFileText("ran.txt"), "0 " + dir.path + "\n");
    EXPECT_EQ(ReadFileText(root.File("tmp/softupdate/files/latest")), "program");
    EXPECT_FALSE(Present(root.File("tmp/softupdate/stale")));
    struct stat st {};
    ASSERT_EQ(stat(root.File("tmp/softupdate/qcc_update.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07000, 0u) << "no set-user bit survives";
    // A script that fails is reported.
    WriteArchive(Stick("pkg/qcc_update.tar.gz"), {{"qcc_update.sh", "#!/bin/sh\nexit 3\n"}});
    EXPECT_EQ(UpdateSystem(), kSystemUpdateFailed);
    EXPECT_EQ(messages.Last(), "SYSTEM UPDATE FAILED");
    messages.answers = {kResponseCancel};
    EXPECT_EQ(UpdateSystem(), kSystemUpdateStopped);
}

TEST_F(SystemUpdateTest, AHostileArchiveIsRefusedWholeAndItsScriptNeverRuns) {
    const std::string marker = dir.File("hostile-ran");
    const std::vector<Member> hostile[] = {
        {{"../escaped", "x"}},       {{"/tmp/absolute-" + std::to_string(getpid()), "x"}},
        {{"a/../../escaped", "x"}},  {{"out", "/etc", AE_IFLNK}},
        {{"up", "../..", AE_IFLNK}}, {{"fifo", "", AE_IFIFO}},
    };
    for (const auto& members : hostile) {
        std::vector<Member> all = {
            {"qcc_update.sh", "#!/bin/sh\ntouch " + marker + "\n", AE_IFREG, 0755}};
        all.insert(all.end(), members.begin(), members.end());
        WriteArchive(Stick("qcc_update.tar.gz"), all);
        std::string refused;
        const std::string scratch = root.File("scratch");
        std::filesystem::remove_all(scratch);
        std::filesystem::create_directories(scratch);
        EXPECT_EQ(UnpackUpdateArchive(Stick("qcc_update.tar.gz"), scratch, &refused),
                  kUnpackRefused)
            << members[0].name;
        EXPECT_EQ(refused, members[0].name);
        messages.shown.clear();
        EXPECT_EQ(UpdateSystem(), kSystemUpdateFailed) << members[0].name;
        EXPECT_EQ(messages.Last(), "UPDATE FILE IS NOT VALID");
    }
    for (const std::string& left :
         {marker, root.File("escaped"), root.File("tmp/escaped"),
          "/tmp/absolute-" + std::to_string(getpid()), root.File("tmp/softupdate")})
        EXPECT_FALSE(Present(left)) << left;

    Put(Stick("qcc_update.tar.gz"), "not an archive");
    EXPECT_EQ(UnpackUpdateArchive(Stick("qcc_update.tar.gz"), dir.path), kUnpackUnreadable);
    std::filesystem::remove(Stick("qcc_update.tar.gz"));
    EXPECT_EQ(UpdateSystem(), kSystemUpdateStopped);
    EXPECT_EQ(messages.Last(), "UPDATE FILE NOT FOUND ON USB DRIVE\n");
}

TEST_F(SystemUpdateTest, CalibrationResetRemovesTheFileUnlessDeclined) {
    Put(root.File("media/mmc0/calibration/pointercal"), "1 2 3");
    messages.answers = {kResponseNo};
    EXPECT_EQ(ResetScreenCalibration(), 0);
    EXPECT_TRUE(Present(root.File("media/mmc0/calibration/pointercal")));
    EXPECT_EQ(Logged([] { EXPECT_EQ(ResetScreenCalibration(), 1); }),
              "Reboot left out below a substitute system root\n");
    EXPECT_EQ(messages.Last(), "SYSTEM WILL REBOOT TO RESET CALIBRATION.\nCONTINUE?");
    EXPECT_FALSE(Present(root.File("media/mmc0/calibration/pointercal")));
}

}  // namespace
