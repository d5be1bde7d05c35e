# Run by cpack after it has made the packages (CPACK_POST_BUILD_SCRIPTS): finishes the -dbgsym
# packages as Debian's own are made. The DEB generator of this CMake writes its md5sums with the
# absolute path of its staging folder, leaves the debug files executable and gives the package no
# doc folder; each one is unpacked, mended and packed again with dpkg-deb.
foreach(package_file IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package_file MATCHES "/([^/_]+)-dbgsym_[^/]+\\.ddeb$")
        continue()
    endif()
    set(package ${CMAKE_MATCH_1})
    set(tree ${package_file}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb --raw-extract ${package_file} ${tree}
        COMMAND_ERROR_IS_FATAL ANY)

    # md5sums lists every file by its path in the package, in a fixed order.
    file(GLOB_RECURSE debug_files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/usr/*)
    list(SORT debug_files)
    set(md5sums "")
    foreach(debug_file IN LISTS debug_files)
        file(MD5 ${tree}/${debug_file} sum)
        string(APPEND md5sums "${sum}  ${debug_file}\n")
    endforeach()
    file(WRITE ${tree}/DEBIAN/md5sums "${md5sums}")

    # The copyright and changelog are those of the package the symbols belong to, which this one
    # depends on in the same version.
    file(MAKE_DIRECTORY ${tree}/usr/share/doc)
    file(CREATE_LINK ${package} ${tree}/usr/share/doc/${package}-dbgsym SYMBOLIC)

    # Folders are 0755 and files 0644 whatever the umask was when they were made; the files get
    # SOURCE_DATE_EPOCH's time, as the generator gives them; and xz works in one thread, whose
    # output does not depend on the number of cores.
    execute_process(COMMAND find ${tree} -type d -exec chmod 0755 {} +
        COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND find ${tree} -type f -exec chmod 0644 {} +
        COMMAND_ERROR_IS_FATAL ANY)
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        execute_process(
            COMMAND find ${tree} -exec touch --no-dereference --date=@$ENV{SOURCE_DATE_EPOCH} {} +
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
    execute_process(
        COMMAND dpkg-deb --root-owner-group -Zxz --threads-max=1 --build ${tree} ${package_file}
        OUTPUT_QUIET
        COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
