#!/bin/bash
# Signs release files with the keys the environment names:
#   sign.sh pe IN OUT   a Windows program or installer, Authenticode (SHA-256)
#                       with osslsigncode, dated SOURCE_DATE_EPOCH: given the
#                       same key, the same file is signed to the same bytes
#   sign.sh sums FILE   an OpenPGP signature of FILE, detached and armoured,
#                       as FILE.asc
# Environment:
#   VOSTREL_SIGN_CERT and VOSTREL_SIGN_KEY  the code-signing certificate and
#       its key, PEM files; or VOSTREL_SIGN_PKCS12, one PKCS#12 file, with
#       VOSTREL_SIGN_PASS its password if it has one
#   VOSTREL_GPG_KEY  the OpenPGP key, as gpg names it (GNUPGHOME applies)
set -euo pipefail
case ${1:-}/$# in
  pe/3)
    if [ -n "${VOSTREL_SIGN_PKCS12:-}" ]; then
      key=(-pkcs12 "$VOSTREL_SIGN_PKCS12" ${VOSTREL_SIGN_PASS:+-pass "$VOSTREL_SIGN_PASS"})
    else
      key=(-certs "${VOSTREL_SIGN_CERT:?no VOSTREL_SIGN_CERT or VOSTREL_SIGN_PKCS12}"
        -key "${VOSTREL_SIGN_KEY:?no VOSTREL_SIGN_KEY}")
    fi
    rm -f "$3"
    osslsigncode sign "${key[@]}" -n Vostrel -i https://vostrel.example.org -h sha256 \
      ${SOURCE_DATE_EPOCH:+-time "$SOURCE_DATE_EPOCH"} -in "$2" -out "$3" >/dev/null
    ;;
  sums/2)
    gpg --batch --yes --local-user "${VOSTREL_GPG_KEY:?no VOSTREL_GPG_KEY}" --armor \
      --detach-sign -o "$2.asc" "$2"
    ;;
  *)
    echo "usage: $0 pe IN OUT | sums FILE" >&2
    exit 2
    ;;
esac
