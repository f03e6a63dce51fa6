#!/usr/bin/env python3
""".eff" files from the format description alone (Python and the openssl command). Usage:
eff_tool.py decrypt ARCHIVE PLAIN PASSWORD-FILE | encrypt PLAIN ARCHIVE PASSWORD-FILE [CIPHER-ID]"""
import hashlib
import hmac
import os
import struct
import subprocess
import sys

FIXED_IV = b"mvbnzuirotke81w\0"
# cipher id: openssl name, key length, IV length, block size
CIPHERS = {1: ("des-cbc", 8, 8, 8), 2: ("des-ede3-cbc", 24, 8, 8), 3: ("aes-128-cbc", 16, 16, 16)}


def openssl_enc(options, key, iv, data):
    command = ["openssl", "enc", *options, "-nopad", "-provider", "legacy", "-provider", "default",
               "-K", key.hex(), "-iv", iv.hex()]
    return subprocess.run(command, input=data, stdout=subprocess.PIPE, check=True).stdout


def mac(password, data, digest="sha1"):
    return hmac.new(password, data, digest).digest()


def derived_key(password, salt):
    return mac(password, salt[:15]) + bytes(10)  # 20 bytes, zero-filled to 30


def decrypt(archive, password):
    content_mac, plain_length, salt = archive[:20], struct.unpack("<I", archive[20:24])[0], archive[24:40]
    cipher_id, _, block_length = struct.unpack("<III", archive[40:52])
    name_mac = archive[52:72]
    name_cipher, key_length, iv_length, block = CIPHERS[cipher_id]
    key = derived_key(password, salt)
    name_block = archive[72:72 + block_length]
    name = openssl_enc(["-aes-128-cbc"], key[:16], FIXED_IV, name_block).split(b"\0")[0]
    if not hmac.compare_digest(mac(password, name), name_mac):
        sys.exit("wrong password")
    iv = mac(password, name, "md5")[:iv_length]
    body = archive[72 + block_length:][:-(-plain_length // block) * block]
    plain = openssl_enc(["-d", "-" + name_cipher], key[:key_length], iv, body)[:plain_length]
    if not hmac.compare_digest(mac(password, plain), content_mac):
        sys.exit("content MAC differs")
    return plain


def encrypt(plain, name, password, cipher_id):
    name_cipher, key_length, iv_length, block = CIPHERS[cipher_id]
    salt = os.urandom(16)
    key = derived_key(password, salt)
    block_length = -(-len(name) // 16) * 16
    padded_name = name + bytes(block_length - len(name))
    name_block = openssl_enc(["-d", "-aes-128-cbc"], key[:16], FIXED_IV, padded_name)
    iv = mac(password, name, "md5")[:iv_length]
    body = openssl_enc(["-" + name_cipher], key[:key_length], iv, plain + bytes(-len(plain) % block))
    header = (mac(password, plain) + struct.pack("<I", len(plain)) + salt +
              struct.pack("<III", cipher_id, len(name), block_length) + mac(password, name))
    return header + name_block + body


def main():
    verb, source, target, password_file = sys.argv[1:5]
    with open(password_file, "rb") as f:
        password = f.readline().rstrip(b"\r\n")
    with open(source, "rb") as f:
        data = f.read()
    if verb == "decrypt":
        result = decrypt(data, password)
    else:
        cipher_id = int(sys.argv[5]) if len(sys.argv) > 5 else 1
        result = encrypt(data, os.path.basename(source).encode(), password, cipher_id)
    with open(target, "wb") as f:
        f.write(result)


if __name__ == "__main__":
    main()
