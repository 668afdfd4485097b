# The key that signs the installers' manifests the update host publishes, and its public half
# built into Update.exe (ECDSA P-256, SHA-256; Debian's openssl does the key work).
#
# The public key Update.exe trusts, in this order:
# - LIKENEX_INSTALLER_PUBLIC_KEY: the public half of the release key pair, which is all a release
#   build ever needs (-DLIKENEX_INSTALLER_PUBLIC_KEY=/path/release-public.pem);
# - else the public half of LIKENEX_INSTALLER_SIGNING_KEY, when the build is given a private key
#   to sign with;
# - else, in a test build (LIKENEX_TEST_SEAMS ON), a test key pair the build makes for itself in
#   <build>/signing, which the tests sign with;
# - else none: a build for users made without a key trusts no key at all, no key pair is made and
#   its Update.exe refuses every installer, rather than trusting a key lying in a build folder.
#
# The update installers the build makes (update/installer/MakeInstaller.cmake) and the tests'
# stand-in installer are signed with LIKENEX_INSTALLER_SIGNING_KEY when it is set (a private key
# kept outside the tree), else with the test key; with neither they get no manifest. Releases are
# otherwise signed where the release key is kept, with scripts/sign-installer.sh.
set(LIKENEX_INSTALLER_PUBLIC_KEY "" CACHE FILEPATH "Public key (PEM, P-256) that installers are verified with")
set(LIKENEX_INSTALLER_SIGNING_KEY "" CACHE FILEPATH
    "Private key (PEM, P-256, outside the tree) that signs the installers this build makes; empty: the test key")

find_program(LIKENEX_OPENSSL openssl REQUIRED)
set(LIKENEX_SIGNING_DIR ${CMAKE_BINARY_DIR}/signing)
set(LIKENEX_SIGN_INSTALLER ${PROJECT_SOURCE_DIR}/scripts/sign-installer.sh)
file(MAKE_DIRECTORY ${LIKENEX_SIGNING_DIR})
set(LIKENEX_INSTALLER_KEY "")  # the private key the build signs with, if any
set(public_pem "")
if(LIKENEX_INSTALLER_SIGNING_KEY)
  set(LIKENEX_INSTALLER_KEY ${LIKENEX_INSTALLER_SIGNING_KEY})
  set(public_pem ${LIKENEX_INSTALLER_SIGNING_KEY})
elseif(LIKENEX_TEST_SEAMS AND NOT LIKENEX_INSTALLER_PUBLIC_KEY)
  set(LIKENEX_INSTALLER_KEY ${LIKENEX_SIGNING_DIR}/installer-test-key.pem)
  if(NOT EXISTS ${LIKENEX_INSTALLER_KEY})
    execute_process(COMMAND ${LIKENEX_OPENSSL} ecparam -name prime256v1 -genkey -noout -out ${LIKENEX_INSTALLER_KEY}
                    RESULT_VARIABLE made OUTPUT_QUIET ERROR_QUIET)
    if(NOT made EQUAL 0)
      message(FATAL_ERROR "openssl could not make the installer test key")
    endif()
  endif()
  set(public_pem ${LIKENEX_INSTALLER_KEY})
endif()
if(LIKENEX_INSTALLER_PUBLIC_KEY)
  set(public_pem ${LIKENEX_INSTALLER_PUBLIC_KEY})
endif()

# The public key as DER SubjectPublicKeyInfo: for P-256 it ends in 04, X and Y (65 bytes).
function(likenex_public_key_xy pem out)
  set(der ${LIKENEX_SIGNING_DIR}/installer-public.der)
  file(REMOVE ${der})
  execute_process(COMMAND ${LIKENEX_OPENSSL} pkey -in ${pem} -pubout -outform DER -out ${der}
                  RESULT_VARIABLE exported OUTPUT_QUIET ERROR_QUIET)
  if(NOT exported EQUAL 0)
    execute_process(COMMAND ${LIKENEX_OPENSSL} pkey -pubin -in ${pem} -pubout -outform DER -out ${der}
                    RESULT_VARIABLE exported OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(NOT exported EQUAL 0)
    message(FATAL_ERROR "${pem} is not a P-256 key")
  endif()
  file(READ ${der} public_hex HEX)
  string(LENGTH "${public_hex}" public_length)
  if(NOT public_length EQUAL 182)  # 91 bytes: the P-256 SubjectPublicKeyInfo
    message(FATAL_ERROR "${pem} is not a P-256 key")
  endif()
  string(SUBSTRING "${public_hex}" 52 2 point_form)
  if(NOT point_form STREQUAL "04")
    message(FATAL_ERROR "${pem}: expected an uncompressed P-256 point")
  endif()
  string(SUBSTRING "${public_hex}" 54 128 public_xy)
  set(${out} ${public_xy} PARENT_SCOPE)
endfunction()

# InstallerPublicKey.inc defines LIKENEX_INSTALLER_KEY_BYTES (X then Y) when there is a key, and
# nothing when there is none (update/win/SignatureCheck.cpp).
if(public_pem)
  likenex_public_key_xy(${public_pem} public_xy)
  if(LIKENEX_INSTALLER_KEY AND NOT public_pem STREQUAL LIKENEX_INSTALLER_KEY)
    # A build that signs with one key and trusts another would make installers it refuses.
    likenex_public_key_xy(${LIKENEX_INSTALLER_KEY} signing_xy)
    if(NOT signing_xy STREQUAL public_xy)
      message(FATAL_ERROR "LIKENEX_INSTALLER_SIGNING_KEY is not the private half of LIKENEX_INSTALLER_PUBLIC_KEY")
    endif()
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," public_bytes "${public_xy}")
  set(key_source "#define LIKENEX_INSTALLER_KEY_BYTES ${public_bytes}\n")
else()
  set(key_source "// No installer key: this Update.exe refuses every installer.\n")
endif()
file(WRITE ${LIKENEX_SIGNING_DIR}/InstallerPublicKey.inc.new "${key_source}")
file(COPY_FILE ${LIKENEX_SIGNING_DIR}/InstallerPublicKey.inc.new ${LIKENEX_SIGNING_DIR}/InstallerPublicKey.inc ONLY_IF_DIFFERENT)

# likenex_sign_after_build(target NAME VERSION): after each link, writes the signed manifest of
# the target's file as the installer NAME of VERSION, to <target file>.<NAME>.sig, so that a test
# can publish the target as NAME with that manifest as NAME.sig. Only a test build with a signing
# key does: a build without test seams may hold the release key, which never vouches for a test
# program.
function(likenex_sign_after_build target name version)
  if(NOT LIKENEX_INSTALLER_KEY OR NOT LIKENEX_TEST_SEAMS)
    return()
  endif()
  set(stage ${CMAKE_CURRENT_BINARY_DIR}/${target}-signing/${name})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${stage}/${name}
    COMMAND ${LIKENEX_SIGN_INSTALLER} ${LIKENEX_INSTALLER_KEY} ${version} ${stage}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${stage}/${name}.sig $<TARGET_FILE:${target}>.${name}.sig
    COMMENT "Signing $<TARGET_FILE_NAME:${target}> as ${name} of version ${version}")
endfunction()
