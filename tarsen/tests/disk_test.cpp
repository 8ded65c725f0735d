// Volumes: serial numbers set through the prefix (a drive defined for the
// test with the prefix's mount manager, its serial and label in the files the
// mount manager reads), labels, file systems and drive types.
#include <windows.h>
#include <winioctl.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tarsen_client.h"

namespace tarsen_test {
namespace {

// The prefix's mount manager request that defines or removes a drive.
constexpr DWORD kDefineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fs_type;
  DWORD serial;
  ULONGLONG unix_dev;
  WCHAR letter;
  USHORT mount_point_offset;
  USHORT device_offset;
  USHORT label_offset;
};

bool define_drive(wchar_t letter, const std::string& unix_path) {
  HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  std::string request(sizeof(UnixDriveRequest) + unix_path.size() + 1, '\0');
  auto* drive = reinterpret_cast<UnixDriveRequest*>(request.data());
  drive->size = static_cast<ULONG>(request.size());
  drive->type = DRIVE_FIXED;
  drive->letter = letter;
  // No mount point removes the drive.
  drive->mount_point_offset = unix_path.empty() ? 0 : sizeof(UnixDriveRequest);
  request.replace(sizeof(UnixDriveRequest), unix_path.size(), unix_path);
  BOOL done = DeviceIoControl(manager, kDefineUnixDrive, request.data(), drive->size, nullptr, 0, nullptr, nullptr);
  CloseHandle(manager);
  return done;
}

// Drive T: on a folder of the build tree, with the serial given.
class TestDrive {
 public:
  explicit TestDrive(const char* serial_text) {
    std::ofstream(std::string(VOLUME_DIR) + "/.windows-serial") << serial_text << "\n";
    defined_ = define_drive(L't', VOLUME_DIR);
  }
  ~TestDrive() {
    define_drive(L't', "");
    std::remove((std::string(VOLUME_DIR) + "/.windows-serial").c_str());
    std::remove((std::string(VOLUME_DIR) + "/.windows-label").c_str());
  }
  bool defined() const { return defined_; }

 private:
  bool defined_ = false;
};

using DiskTest = TarsenTest;

std::wstring serial(_Tarsen* tarsen, const wchar_t* root) {
  StringVar path(root), result;
  EXPECT_EQ(tarsen->GetVolumeSerialNumber(path.put(), result.put()), S_OK);
  return result.text();
}

std::wstring info(_Tarsen* tarsen, const wchar_t* root, LONG which) {
  StringVar path(root);
  auto dtype = static_cast<DiskInfo>(which);
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(tarsen->DisksInfo(path.put(), &dtype, &result), S_OK);
  EXPECT_EQ(V_VT(&result), VT_BSTR);
  std::wstring text = V_VT(&result) == VT_BSTR ? std::wstring(frame::text_of(V_BSTR(&result))) : L"<not text>";
  VariantClear(&result);
  return text;
}

TEST_F(DiskTest, SerialTextsFromTheVolume) {
  struct Case { const char* file; const wchar_t* hex; const wchar_t* decimal; };
  const Case cases[] = {{"abcdef", L"00AB-CDEF", L"11259375"},
                        {"ffffffff", L"FFFF-FFFF", L"-1"},
                        {"1e5", L"0000-01E5", L"485"}};
  for (const auto& c : cases) {
    TestDrive drive(c.file);
    ASSERT_TRUE(drive.defined());
    EXPECT_EQ(serial(tarsen.get(), L"T:\\"), c.hex);
    EXPECT_EQ(info(tarsen.get(), L"T:\\", DSerial), c.decimal);
    EXPECT_EQ(info(tarsen.get(), L"T:\\", DLabel), L"") << "a volume without a label";
  }
  EXPECT_EQ(serial(tarsen.get(), L"Q:\\"), L"0000-0000") << "no such volume";
}

TEST_F(DiskTest, FileSystemNameForEveryOtherChoice) {
  char file_system[64] = {};
  ASSERT_TRUE(GetVolumeInformationA("C:\\", nullptr, 0, nullptr, nullptr, nullptr, file_system, sizeof file_system));
  for (LONG which : {3, 0, 7, -1}) EXPECT_EQ(info(tarsen.get(), L"C:\\", which), from_ansi(file_system)) << which;
  // Nothing written for a root that names no volume: empty texts, serial 0.
  EXPECT_EQ(info(tarsen.get(), L"Q:\\", DLabel), L"");
  EXPECT_EQ(info(tarsen.get(), L"Q:\\", DType), L"");
  EXPECT_EQ(info(tarsen.get(), L"Q:\\", DSerial), L"0");
}

TEST_F(DiskTest, LabelSetAndSeenByANewProcess) {
  TestDrive drive("1234abcd");
  ASSERT_TRUE(drive.defined());
  StringVar root(L"T:\\"), label(L"TARSENLBL");
  VARIANT_BOOL done = 0;
  EXPECT_EQ(tarsen->SetDiskLabel(root.put(), label.put(), &done), S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  // The label is kept with the volume, where the mount manager reads it
  // when the drive is defined: a fresh definition sees the new one.
  std::ifstream stored{std::string(VOLUME_DIR) + "/.windows-label"};
  std::string text;
  std::getline(stored, text);
  EXPECT_EQ(text, "TARSENLBL");
  ASSERT_TRUE(define_drive(L't', VOLUME_DIR));
  EXPECT_EQ(info(tarsen.get(), L"T:\\", DLabel), L"TARSENLBL");
  EXPECT_EQ(root.text(), L"T:\\");
  EXPECT_EQ(label.text(), L"TARSENLBL");
  // A new process asks the volume for its label.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring seen_file = std::wstring(temp) + L"tarsen_label.txt";
  StringVar command(L"\"" + helper_path() + L"\" label T:\\ \"" + seen_file + L"\"");
  ASSERT_EQ(tarsen->StartAndWait(command.put()), S_OK);
  std::ifstream seen{std::filesystem::path(seen_file)};
  std::string seen_label;
  std::getline(seen, seen_label);
  seen.close();
  DeleteFileW(seen_file.c_str());
  EXPECT_EQ(seen_label, "TARSENLBL");

  StringVar nowhere(L"Q:\\"), name(L"X");
  EXPECT_EQ(tarsen->SetDiskLabel(nowhere.put(), name.put(), &done), S_OK);
  EXPECT_EQ(done, VARIANT_FALSE) << "a label the platform refuses";
}

// Runs once per code page (the CodePage* runs). A root path or a label that
// the code page cannot hold is refused: every method answers as for a failing
// call, the caller's variables keep their texts, and no "?" label is written.
using CodePageDiskTest = TarsenTest;

TEST_F(CodePageDiskTest, RootsAndLabelsThePageCannotHoldAreRefused) {
  PageLetters letters = page_letters();
  TestDrive drive("1234abcd");
  ASSERT_TRUE(drive.defined());
  std::wstring odd_root = L"T:\\" + letters.lacking + L"\\";
  EXPECT_EQ(serial(tarsen.get(), odd_root.c_str()), L"0000-0000");
  for (LONG which : {DSerial, DLabel, DType}) {
    StringVar root(odd_root);
    auto dtype = static_cast<DiskInfo>(which);
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(tarsen->DisksInfo(root.put(), &dtype, &result), S_OK);
    EXPECT_EQ(std::wstring(frame::text_of(V_BSTR(&result))), which == DSerial ? L"0" : L"") << which;
    VariantClear(&result);
    EXPECT_EQ(root.text(), odd_root);
  }
  StringVar root(odd_root);
  short code = 9;
  EXPECT_EQ(tarsen->DriveType(root.put(), &code), S_OK);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(root.text(), odd_root);

  std::wstring odd_label = L"L" + letters.lacking + L"x";
  StringVar drive_root(L"T:\\"), label(odd_label);
  VARIANT_BOOL done = 7;
  EXPECT_EQ(tarsen->SetDiskLabel(drive_root.put(), label.put(), &done), S_OK);
  EXPECT_EQ(done, VARIANT_FALSE);
  EXPECT_EQ(label.text(), odd_label);
  EXPECT_FALSE(std::filesystem::exists(std::string(VOLUME_DIR) + "/.windows-label")) << "a label was written";

  // A label the page holds, in 932 and 936 with a second byte that is a
  // backslash, is set and read back as it is.
  std::wstring kept_label = L"L" + letters.held + L"x";
  StringVar kept(kept_label);
  EXPECT_EQ(tarsen->SetDiskLabel(drive_root.put(), kept.put(), &done), S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  EXPECT_EQ(kept.text(), kept_label);
  ASSERT_TRUE(define_drive(L't', VOLUME_DIR));
  EXPECT_EQ(info(tarsen.get(), L"T:\\", DLabel), kept_label);

  // A label that the page lacks, set by another program, is read as it is.
  if (letters.lacking_nameable) {
    ASSERT_TRUE(SetVolumeLabelW(L"T:\\", odd_label.c_str()));
    ASSERT_TRUE(define_drive(L't', VOLUME_DIR));
    EXPECT_EQ(info(tarsen.get(), L"T:\\", DLabel), odd_label);
  }
}

TEST_F(DiskTest, DriveTypes) {
  struct Case { const wchar_t* root; short code; };
  const Case cases[] = {{L"C:\\", 2}, {L"Q:\\", 0}, {L"", 0}};
  for (const auto& c : cases) {
    StringVar root(c.root);
    short code = 9;
    EXPECT_EQ(tarsen->DriveType(root.put(), &code), S_OK);
    EXPECT_EQ(code, c.code) << c.root;
    EXPECT_EQ(root.text(), c.root);
  }
}

}  // namespace
}  // namespace tarsen_test
