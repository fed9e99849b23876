// Windows: who may replace a folder's entries, judged on security
// descriptors made here (Wine keeps a folder's protection as mode bits, so
// an access list given to a real folder comes back only as far as they say).
#include "platform/windows/folder_writers.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <vector>

namespace {

const char* const kUser = "S-1-5-21-1-2-3-1000";

// A SID from its text form, freed with the holder.
struct Sid {
    PSID sid = nullptr;
    explicit Sid(const char* text) { EXPECT_TRUE(ConvertStringSidToSidA(text, &sid)) << text; }
    ~Sid() { LocalFree(sid); }
};

TEST(FolderWriters, OthersWhoMayRemoveRenameOrReprotectEntries) {
    struct Row {
        const char* name;
        const char* owner;
        const char* holder; // of the list's one entry; null: no list at all
        DWORD rights;
        BYTE flags;
        bool others;
    };
    const char* const everyone = "S-1-1-0";
    const BYTE inheritOnly = INHERIT_ONLY_ACE | OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const Row rows[] = {
        {"the user's full control", kUser, kUser, FILE_ALL_ACCESS, 0, false},
        {"owned by the administrators", "S-1-5-32-544", "S-1-5-18", FILE_ALL_ACCESS, 0, false},
        {"TrustedInstaller's full control", kUser,
         "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", GENERIC_ALL, 0, false},
        {"everyone may add entries only", kUser, everyone, FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY, 0,
         false},
        {"signed-in users' generic write", kUser, "S-1-5-11", GENERIC_WRITE, 0, false},
        {"creator owner's, for what is made in it", kUser, "S-1-3-0", GENERIC_ALL, inheritOnly,
         false},
        {"everyone may remove entries", kUser, everyone, FILE_DELETE_CHILD, 0, true},
        {"everyone may delete it", kUser, everyone, DELETE, 0, true},
        {"everyone may change its list", kUser, everyone, WRITE_DAC, 0, true},
        {"everyone may take it over", kUser, everyone, WRITE_OWNER, 0, true},
        {"everyone's generic full control", kUser, everyone, GENERIC_ALL, 0, true},
        {"owned by another user", "S-1-5-21-1-2-3-1001", kUser, FILE_ALL_ACCESS, 0, true},
        {"no access list", kUser, nullptr, 0, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SECURITY_DESCRIPTOR descriptor;
        ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
        const Sid owner(row.owner);
        const Sid holder(row.holder != nullptr ? row.holder : kUser);
        std::vector<unsigned char> room(1024);
        ACL* list = reinterpret_cast<ACL*>(room.data());
        ASSERT_TRUE(InitializeAcl(list, static_cast<DWORD>(room.size()), ACL_REVISION));
        ASSERT_TRUE(AddAccessAllowedAceEx(list, ACL_REVISION, row.flags, row.rights, holder.sid));
        ASSERT_TRUE(SetSecurityDescriptorOwner(&descriptor, owner.sid, FALSE));
        ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE,
                                              row.holder != nullptr ? list : nullptr, FALSE));
        EXPECT_EQ(row.others, OthersMayWriteUnder(&descriptor, kUser));
    }
}

} // namespace
