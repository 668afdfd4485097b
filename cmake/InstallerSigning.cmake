# The key that signs the installers the update host publishes, and its public half built into
# Update.exe (ECDSA P-256, SHA-256; Debian's openssl does the key work).
#
# A release build names the public key of the release key pair, which never enters the tree or
# the build directory: -DLIKENEX_INSTALLER_PUBLIC_KEY=/path/release-public.pem. The private key
# stays on the machine that signs releases (scripts/sign-installer.sh KEY FILE...). Without
# it the build makes a test key pair of its own in <build>/signing, which the tests sign with.
set(LIKENEX_INSTALLER_PUBLIC_KEY "" CACHE FILEPATH "Public key (PEM, P-256) that installers are verified with; empty: a test key")

find_program(LIKENEX_OPENSSL openssl REQUIRED)
set(LIKENEX_SIGNING_DIR ${CMAKE_BINARY_DIR}/signing)
file(MAKE_DIRECTORY ${LIKENEX_SIGNING_DIR})
if(LIKENEX_INSTALLER_PUBLIC_KEY)
  set(LIKENEX_INSTALLER_TEST_KEY "")
  set(public_pem ${LIKENEX_INSTALLER_PUBLIC_KEY})
else()
  set(LIKENEX_INSTALLER_TEST_KEY ${LIKENEX_SIGNING_DIR}/installer-test-key.pem)
  if(NOT EXISTS ${LIKENEX_INSTALLER_TEST_KEY})
    execute_process(COMMAND ${LIKENEX_OPENSSL} ecparam -name prime256v1 -genkey -noout -out ${LIKENEX_INSTALLER_TEST_KEY}
                    RESULT_VARIABLE made OUTPUT_QUIET ERROR_QUIET)
    if(NOT made EQUAL 0)
      message(FATAL_ERROR "openssl could not make the installer test key")
    endif()
  endif()
  set(public_pem ${LIKENEX_INSTALLER_TEST_KEY})
endif()

# The public key as DER SubjectPublicKeyInfo: for P-256 it ends in 04, X and Y (65 bytes).
execute_process(COMMAND ${LIKENEX_OPENSSL} pkey -in ${public_pem} -pubout -outform DER
                        -out ${LIKENEX_SIGNING_DIR}/installer-public.der
                RESULT_VARIABLE exported OUTPUT_QUIET ERROR_QUIET)
if(NOT exported EQUAL 0)
  execute_process(COMMAND ${LIKENEX_OPENSSL} pkey -pubin -in ${public_pem} -pubout -outform DER
                          -out ${LIKENEX_SIGNING_DIR}/installer-public.der RESULT_VARIABLE exported OUTPUT_QUIET ERROR_QUIET)
endif()
file(READ ${LIKENEX_SIGNING_DIR}/installer-public.der public_hex HEX)
string(LENGTH "${public_hex}" public_length)
if(NOT exported EQUAL 0 OR NOT public_length EQUAL 182)  # 91 bytes: the P-256 SubjectPublicKeyInfo
  message(FATAL_ERROR "${public_pem} is not a P-256 key")
endif()
string(SUBSTRING "${public_hex}" 52 2 point_form)
if(NOT point_form STREQUAL "04")
  message(FATAL_ERROR "${public_pem}: expected an uncompressed P-256 point")
endif()
string(SUBSTRING "${public_hex}" 54 128 public_xy)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," public_bytes "${public_xy}")
file(WRITE ${LIKENEX_SIGNING_DIR}/InstallerPublicKey.inc.new "${public_bytes}\n")
file(COPY_FILE ${LIKENEX_SIGNING_DIR}/InstallerPublicKey.inc.new ${LIKENEX_SIGNING_DIR}/InstallerPublicKey.inc ONLY_IF_DIFFERENT)

# likenex_sign_after_build(target): writes <target file>.sig with the test key after each link.
function(likenex_sign_after_build target)
  if(NOT LIKENEX_INSTALLER_TEST_KEY)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${LIKENEX_OPENSSL} dgst -sha256 -sign ${LIKENEX_INSTALLER_TEST_KEY} -out $<TARGET_FILE:${target}>.sig
            $<TARGET_FILE:${target}>
    COMMENT "Signing $<TARGET_FILE_NAME:${target}> with the installer test key")
endfunction()
