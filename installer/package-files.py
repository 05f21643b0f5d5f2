#!/usr/bin/env python3
"""Reproducible package files, for installer/Package.cmake.

  package-files.py date EPOCH FILE...
      sets each file's modification time to EPOCH (seconds since 1970, UTC),
      so the installer, which keeps the files' times, carries that date;
  package-files.py zip OUT EPOCH FOLDER NAME...
      writes the zip OUT holding FOLDER/NAME for each NAME: entries sorted by
      name, dated EPOCH, with the same attributes whatever the umask or the
      file system, no extra fields and no archive comment.

The same files and EPOCH give the same bytes (with the same zlib).
"""
import os
import sys
import time
import zipfile


def zip_date(epoch):
    # ZIP keeps a local date without zone and from 1980 on; the UTC date of
    # EPOCH is written, so the result does not depend on the time zone.
    t = time.gmtime(max(epoch, 315532800))
    return (t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec - t.tm_sec % 2)


def write_zip(out, epoch, folder, names):
    temp = out + ".part"
    with zipfile.ZipFile(temp, "w") as archive:
        for name in sorted(names):
            info = zipfile.ZipInfo(name, date_time=zip_date(epoch))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: attributes below are the DOS ones
            info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE, nothing else
            with open(os.path.join(folder, name), "rb") as f:
                archive.writestr(info, f.read(), compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(temp, out)


def main(argv):
    if len(argv) >= 3 and argv[1] == "date":
        epoch = int(argv[2])
        for name in argv[3:]:
            os.utime(name, (epoch, epoch))
        return 0
    if len(argv) >= 6 and argv[1] == "zip":
        write_zip(argv[2], int(argv[3]), argv[4], argv[5:])
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
