# SPDX-License-Identifier: MIT
# Lays out the site: exactly the files a host serves, each text file with its .gz and .br beside it.
#
# cmake -DSOURCE=platform/web -DBUILD=build-web -DICONS=game/icons -DVERSION=1.0.0 -DSITE=build-web/site -P make_site.cmake
#
# The page shows VERSION; the service worker names its cache after the build (VERSION and a digest
# of the files), so that a browser holding an older build's copy drops it for this one.
set(built zelmo.js zelmo.wasm)
set(pages zelmo.html zelmo-sw.js zelmo.webmanifest)
set(icons zelmo-32.png zelmo-64.png zelmo-128.png zelmo-256.png)

set(digests "")
foreach(file ${built})
  file(SHA256 ${BUILD}/${file} digest)
  string(APPEND digests ${digest})
endforeach()
foreach(file ${pages})
  file(SHA256 ${SOURCE}/${file} digest)
  string(APPEND digests ${digest})
endforeach()
string(SHA256 digest "${digests}")
string(SUBSTRING ${digest} 0 12 digest)
set(ZELMO_VERSION ${VERSION})
set(ZELMO_BUILD ${VERSION}-${digest})

file(REMOVE_RECURSE ${SITE})
file(MAKE_DIRECTORY ${SITE})
foreach(file ${pages})
  configure_file(${SOURCE}/${file} ${SITE}/${file} @ONLY)
endforeach()
file(COPY ${BUILD}/zelmo.js ${BUILD}/zelmo.wasm DESTINATION ${SITE})
foreach(file ${icons})
  file(COPY ${ICONS}/${file} DESTINATION ${SITE})
endforeach()

# PNG is compressed already: a .gz or .br of it would be larger than the file.
foreach(file ${built} ${pages})
  execute_process(COMMAND gzip -9nc ${file} OUTPUT_FILE ${file}.gz WORKING_DIRECTORY ${SITE} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND brotli -q 11 -o ${file}.br ${file} WORKING_DIRECTORY ${SITE} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(WRITE ${SITE}.stamp "${ZELMO_BUILD}\n")
