# SPDX-License-Identifier: MIT
# Lays out the site: exactly the files a host serves, each text file with its .gz and .br beside it.
#
# cmake -DSOURCE=platform/web -DBUILD=build-web -DICONS=game/icons -DVERSION=1.0.0 -DSITE=build-web/site -P make_site.cmake
#
# Every file the page loads is named by its content (zelmo.<digest>.js: the first 16 hex digits of its
# SHA-256), so that any host, caching or not, serves one build whole: a new build is new names, and a
# kept file is never out of date. The page (zelmo.html) and its service worker (zelmo-sw.js) keep
# their names; the page names each file with its integrity (sha256-<base64>), the worker keeps the
# files under their names and checks each against the digest in its name.
set(icon_sizes 32 64 128 256)

# The base64 of a digest given in hex, as the integrity attribute writes it.
function(hex_to_base64 hex out)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  string(LENGTH "${hex}" length)
  set(text "")
  foreach(at RANGE 0 ${length} 6)
    if(at EQUAL length)
      break()
    endif()
    string(SUBSTRING "${hex}" ${at} 6 group)  # three bytes, fewer at the end
    string(LENGTH "${group}" digits)
    string(SUBSTRING "${group}000000" 0 6 group)
    math(EXPR value "0x${group}")
    math(EXPR shown "${digits} / 2 + 1")  # characters that hold the group's bytes; '=' for the rest
    foreach(index RANGE 0 3)
      if(index LESS shown)
        math(EXPR sextet "(${value} >> (18 - 6 * ${index})) & 63")
        string(SUBSTRING "${alphabet}" ${sextet} 1 character)
        string(APPEND text "${character}")
      else()
        string(APPEND text "=")
      endif()
    endforeach()
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Puts the file at SITE/STEM.<digest>.EXTENSION (readable, not executable: it is data on any host) and
# sets VARIABLE to that name and VARIABLE_INTEGRITY to its integrity.
function(place_by_content path stem extension variable)
  file(SHA256 ${path} digest)
  string(SUBSTRING ${digest} 0 16 short)
  set(name ${stem}.${short}.${extension})
  file(COPY_FILE ${path} ${SITE}/${name})
  file(CHMOD ${SITE}/${name} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  hex_to_base64(${digest} base64)
  set(${variable} ${name} PARENT_SCOPE)
  set(${variable}_INTEGRITY sha256-${base64} PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${SITE})
file(MAKE_DIRECTORY ${SITE})
set(ZELMO_VERSION ${VERSION})

# The icons, then the manifest that names them, then the game; the page names them all.
foreach(size ${icon_sizes})
  place_by_content(${ICONS}/zelmo-${size}.png zelmo-${size} png ZELMO_ICON_${size})
endforeach()
configure_file(${SOURCE}/zelmo.webmanifest ${SITE}/manifest.tmp @ONLY)
place_by_content(${SITE}/manifest.tmp zelmo webmanifest ZELMO_MANIFEST)
file(REMOVE ${SITE}/manifest.tmp)
place_by_content(${BUILD}/zelmo.js zelmo js ZELMO_JS)
place_by_content(${BUILD}/zelmo.wasm zelmo wasm ZELMO_WASM)
foreach(page zelmo.html zelmo-sw.js)
  configure_file(${SOURCE}/${page} ${SITE}/${page} @ONLY NO_SOURCE_PERMISSIONS)
endforeach()

# PNG is compressed already: a .gz or .br of it would be larger than the file.
foreach(file zelmo.html zelmo-sw.js ${ZELMO_MANIFEST} ${ZELMO_JS} ${ZELMO_WASM})
  execute_process(COMMAND gzip -9nc ${file} OUTPUT_FILE ${file}.gz WORKING_DIRECTORY ${SITE} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND brotli -q 11 -o ${file}.br ${file} WORKING_DIRECTORY ${SITE} COMMAND_ERROR_IS_FATAL ANY)
  file(CHMOD ${SITE}/${file}.gz ${SITE}/${file}.br PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
file(WRITE ${SITE}.stamp "${VERSION} ${ZELMO_JS} ${ZELMO_WASM}\n")
