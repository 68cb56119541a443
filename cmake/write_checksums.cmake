# Writes OUTPUT: one line for each file of FILES in the sha256sum format (the hash, two blanks, the
# file's name), with CR LF, so that a technician can check a download with sha256sum -c, certutil
# or Get-FileHash. Run with cmake -DOUTPUT=... "-DFILES=first;second" -P write_checksums.cmake.
set(lines "")
foreach(path IN LISTS FILES)
    file(SHA256 ${path} hash)
    get_filename_component(name ${path} NAME)
    string(APPEND lines "${hash}  ${name}\r\n")
endforeach()
file(WRITE ${OUTPUT} "${lines}")
