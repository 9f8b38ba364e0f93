#!/usr/bin/env python3
"""Writes the registry of a heavy but real-shaped profile as .reg files.

    python3 bench/flows/gen_profile.py OUTDIR

OUTDIR receives
  seed.reg     the trees, each deleted first so that the counts are exact:
               Internet Settings (2,012 keys, 7,892 values), 20 Outlook Express
               identities with 10 accounts of 15 values each, 8 network
               connections (their adapter-class keys and their TCP/IP trees);
  perturb-ies.reg, perturb-ips.reg
               small changes to the trees of each kind, made before each
               apply so that an apply that does nothing cannot pass the check;
  counts.txt   what seed.reg holds.
Both .reg files are UTF-16 with a BOM, as regedit writes them; names and data
are partly Japanese, as on the machines the program is made for.
"""
import os
import random
import sys

IE_KEYS = 2012
IE_VALUES = 7892
IDENTITIES = 20
ACCOUNTS = 10
CONNECTIONS = 8

HKCU = 'HKEY_CURRENT_USER'
HKLM = 'HKEY_LOCAL_MACHINE'
IE_PATH = HKCU + r'\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
IDENTITIES_PATH = HKCU + r'\Identities'
NETWORK_CLASS = HKLM + r'\SYSTEM\CurrentControlSet\Control\Network\{4D36E972-E325-11CE-BFC1-08002BE10318}'
INTERFACES = HKLM + r'\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces'
TOPS = [IE_PATH, IDENTITIES_PATH, NETWORK_CLASS]


class Tree:
    """Keys in creation order, each with its values in creation order."""

    def __init__(self):
        self.keys = {}

    def key(self, path):
        """The key, and the keys on the way to it below the tree's top."""
        if path not in self.keys:
            top = next((t for t in TOPS if path.startswith(t + '\\')), None)
            if top:
                self.key(path.rsplit('\\', 1)[0])
            self.keys[path] = []
        return self.keys[path]

    def set(self, path, name, kind, data):
        self.key(path).append((name, kind, data))

    def value_count(self, prefix):
        return sum(len(v) for k, v in self.keys.items() if k == prefix or k.startswith(prefix + '\\'))

    def key_count(self, prefix):
        return sum(1 for k in self.keys if k == prefix or k.startswith(prefix + '\\'))


def guid(rng):
    h = '%032X' % rng.getrandbits(128)
    return '{%s-%s-%s-%s-%s}' % (h[:8], h[8:12], h[12:16], h[16:20], h[20:])


def sz(text):
    return ('sz', text)


def dword(n):
    return ('dword', n)


def binary(data):
    return ('hex', bytes(data))


def expand(text):
    return ('hex(2)', text)


def multi(*texts):
    return ('hex(7)', list(texts))


# --- Internet Settings -------------------------------------------------------

ZONE_NAMES = [('マイ コンピュータ', 'コンピュータ上のファイル'),
              ('ローカル イントラネット', 'このゾーンには、組織のイントラネット上にあるすべての Web サイトが含まれています。'),
              ('信頼済みサイト', 'このゾーンには、コンピュータやファイルに損害を与えないと信頼している Web サイトが含まれています。'),
              ('インターネット', 'このゾーンには、他のゾーンに属さないすべての Web サイトが含まれています。'),
              ('制限付きサイト', 'このゾーンには、コンピュータやファイルに損害を与える可能性がある Web サイトが含まれています。')]
URL_ACTIONS = (['%04X' % a for a in range(0x1001, 0x1005)] + ['%04X' % a for a in range(0x1200, 0x1210)] +
               ['%04X' % a for a in range(0x1400, 0x1410)] + ['%04X' % a for a in range(0x1601, 0x1612)] +
               ['%04X' % a for a in range(0x1800, 0x1810)] + ['%04X' % a for a in range(0x1A00, 0x1A08)] +
               ['%04X' % a for a in range(0x1C00, 0x1C02)] + ['%04X' % a for a in range(0x2000, 0x2008)] +
               ['%04X' % a for a in range(0x2100, 0x2108)] + ['%04X' % a for a in range(0x2200, 0x2202)] +
               ['2300', '2400', '2401', '2402', '2500', '2600', '2700'])


def internet_settings(tree, rng):
    root = IE_PATH
    for name, value in [
            ('User Agent', sz('Mozilla/4.0 (compatible; MSIE 6.0; Win32)')), ('IE5_UA_Backup_Flag', sz('5.0')),
            ('NoNetAutodial', dword(0)), ('MigrateProxy', dword(1)), ('ProxyEnable', dword(1)),
            ('ProxyServer', sz('proxy.honsha.example.co.jp:8080')),
            ('ProxyOverride', sz('*.honsha.example.co.jp;*.shiten.example.co.jp;192.168.*;<local>')),
            ('AutoConfigURL', sz('http://wpad.honsha.example.co.jp/proxy.pac')), ('EnableHttp1_1', dword(1)),
            ('ProxyHttp1.1', dword(1)), ('WarnonZoneCrossing', dword(0)), ('CertificateRevocation', dword(1)),
            ('DisableCachingOfSSLPages', dword(0)), ('PrivacyAdvanced', dword(0)), ('SecureProtocols', dword(0xA80)),
            ('UrlEncoding', dword(0)), ('EmailName', sz('IEUser@')), ('EnableNegotiate', dword(1)),
            ('WarnOnPost', binary(b'\x01\x00\x00\x00')), ('WarnonBadCertRecving', dword(1)),
            ('GlobalUserOffline', dword(0)), ('ZonesSecurityUpgrade', binary(rng.randbytes(8))),
            ('ActiveXCache', sz(r'C:\WINDOWS\Downloaded Program Files')),
            ('CodeBaseSearchPath', sz('CODEBASE')), ('EnableAutodial', dword(0)), ('ShowPunycode', dword(0)),
            ('MimeExclusionListForCache', sz('multipart/mixed multipart/x-mixed-replace multipart/x-byteranges ')),
            ('SyncMode5', dword(3)), ('DialupUseLanSettings', dword(1)), ('AutoConfigProxy', sz('wininet.dll')),
            ('MaxConnectionsPerServer', dword(10)), ('MaxConnectionsPer1_0Server', dword(10)),
            ('ReceiveTimeout', dword(300000)), ('DisablePasswordCaching', dword(1)),
            ('UseSchannelDirectly', binary(b'\x01\x00\x00\x00'))]:
        tree.set(root, name, *value)
    # 5.0: cache containers, kept by the machine on an apply.
    five = root + r'\5.0'
    tree.set(five, 'CreateUriCacheSize', 'dword', 1)
    for name in ['Content', 'Cookies', 'History', 'DOMStore', 'feedplat', 'iecompat', 'IEFlipAhead', 'iedownload',
                 'PrivacIE:', 'IETld']:
        path = five + r'\Cache\Extensible Cache\%s' % name
        tree.set(path, 'CachePath', *expand(r'%%USERPROFILE%%\Local Settings\Temporary Internet Files\%s' % name))
        tree.set(path, 'CachePrefix', *sz(name.lower() + ':'))
        tree.set(path, 'CacheLimit', *dword(8192))
        tree.set(path, 'CacheOptions', *dword(0x300))
        tree.set(path, 'CacheRepair', *dword(0))
    for week in range(6):
        path = five + r'\Cache\Extensible Cache\MSHist01202611%02d202611%02d' % (week * 7 + 1, week * 7 + 8)
        tree.set(path, 'CachePath', *expand(r'%%USERPROFILE%%\Local Settings\History\History.IE5\MSHist%02d' % week))
        tree.set(path, 'CachePrefix', *sz(':2026110%d2026110%d: ' % (week, week + 1)))
        tree.set(path, 'CacheLimit', *dword(8192))
        tree.set(path, 'CacheOptions', *dword(0xB))
        tree.set(path, 'CacheRepair', *dword(0))
    for sub in ['Cache\\Content', 'Cache\\Cookies', 'Cache\\History']:
        tree.set(five + '\\' + sub, 'CacheLimit', *dword(40960))
    tree.key(five + r'\User Agent\Post Platform')
    for name in ['SV1', '.NET CLR 1.1.4322', '.NET CLR 2.0.50727', 'InfoPath.2']:
        tree.set(five + r'\User Agent\Post Platform', name, *sz('IEAK'))
    # Cache.
    cache = root + r'\Cache'
    tree.set(cache, 'Persistent', *dword(1))
    tree.set(cache, 'SignatureVersion', *sz('Client UrlCache MMF Ver 5.2'))
    for n in range(1, 5):
        path = cache + r'\Paths\path%d' % n
        tree.set(path, 'CachePath', *sz(r'C:\Documents and Settings\tanaka\Local Settings\Temporary Internet Files\Content.IE5\cache%d' % n))
        tree.set(path, 'CacheLimit', *dword(65536))
    tree.set(cache + r'\Paths', 'Directory', *sz(r'C:\Documents and Settings\tanaka\Local Settings\Temporary Internet Files\Content.IE5'))
    tree.set(cache + r'\Paths', 'Paths', *dword(4))
    for name in ['Cookies', 'History']:
        tree.set(cache + r'\Special Paths\%s' % name, 'CachePath', *sz(r'C:\Documents and Settings\tanaka\%s' % name))
        tree.set(cache + r'\Special Paths\%s' % name, 'CachePrefix', *sz(name.lower() + ':'))
    tree.set(root + r'\Connections', 'DefaultConnectionSettings', *binary(rng.randbytes(180)))
    tree.set(root + r'\Connections', 'SavedLegacySettings', *binary(rng.randbytes(180)))
    tree.set(root + r'\Connections', '社内 VPN', *binary(rng.randbytes(140)))
    tree.set(root + r'\Url History', 'DaysToKeep', *dword(20))
    tree.set(root + r'\Http Filters\RPA', 'MSN Sicily', *sz('sicily.dll'))
    tree.set(root + r'\Passport', 'NumRegistrationRuns', *dword(1))
    tree.set(root + r'\User Agent', 'Compatible', *sz('compatible'))
    tree.set(root + r'\User Agent\Post Platform', 'InfoPath.2', *sz('IEAK'))
    tree.key(root + r'\User Agent\UA Tokens')
    # Zones and Lockdown_Zones: one DWORD per URL action, with the names.
    for group in ['Zones', 'Lockdown_Zones']:
        for zone, (display, description) in enumerate(ZONE_NAMES):
            path = root + r'\%s\%d' % (group, zone)
            tree.set(path, 'DisplayName', *sz(display))
            tree.set(path, 'Description', *sz(description))
            tree.set(path, 'Icon', *sz('explorer.exe#0100' if zone else 'shell32.dll#0016'))
            tree.set(path, 'CurrentLevel', *dword(0x10000 + zone * 0x1000))
            tree.set(path, 'MinLevel', *dword(0x10000))
            tree.set(path, 'RecommendedLevel', *dword(0x10500))
            tree.set(path, 'Flags', *dword(0xDB if zone else 0x21))
            tree.set(path, 'PMDisplayName', *sz(display + ' [保護モード]'))
            for action in URL_ACTIONS:
                tree.set(path, action, *dword(rng.choice([0, 0, 1, 3])))
            tree.set(path, '{AEBA21FA-782A-4A90-978D-B72164C80120}', *binary(rng.randbytes(8)))
            tree.set(path, '{A8A88C49-5EB2-4990-A1A2-0876022C854F}', *binary(rng.randbytes(8)))
    # P3P history: one default value per site.
    for n in range(40):
        tree.set(root + r'\P3P\History\site%02d.example.com' % n, '', *dword(rng.choice([1, 5])))
    # ZoneMap: the settings, the protocol defaults, intranet ranges, then the
    # domains a policy put into zones, filled up to the counts.
    zonemap = root + r'\ZoneMap'
    for name, value in [('ProxyBypass', 1), ('IntranetName', 1), ('UNCAsIntranet', 1), ('AutoDetect', 0)]:
        tree.set(zonemap, name, *dword(value))
    for name, zone in [('@ivt', 1), ('about', 4), ('file', 3), ('ftp', 3), ('http', 3), ('https', 3), ('shell', 0),
                       ('knownfolder', 0)]:
        tree.set(zonemap + r'\ProtocolDefaults', name, *dword(zone))
    for n in range(1, 25):
        path = zonemap + r'\Ranges\Range%d' % n
        tree.set(path, ':Range', *sz('10.%d.0.0-10.%d.255.255' % (n, n)))
        tree.set(path, '*', *dword(1))
        tree.set(path, 'file', *dword(1))
    tree.key(zonemap + r'\EscDomains')
    fill_domains(tree, rng, zonemap + r'\Domains')


def fill_domains(tree, rng, domains):
    """Domain keys (some with subdomains) until the tree has IE_KEYS keys,
    their protocol values spread so that it has IE_VALUES values."""
    tree.key(domains)
    made = []
    n = 0
    while tree.key_count(IE_PATH) < IE_KEYS:
        base = 'shiten%03d.example.co.jp' % n if n % 3 else 'torihiki%03d.example.com' % n
        n += 1
        tree.key(domains + '\\' + base)
        made.append(domains + '\\' + base)
        for sub in ['www', 'mail', 'intranet'][:rng.randint(0, 3)]:
            if tree.key_count(IE_PATH) >= IE_KEYS:
                break
            tree.key(domains + '\\' + base + '\\' + sub)
            made.append(domains + '\\' + base + '\\' + sub)
    protocols = ['http', 'https', '*', 'ftp', 'file', 'mailto', 'news', 'nntp', 'ldap', 'telnet']
    left = IE_VALUES - tree.value_count(IE_PATH)
    if left < len(made):
        raise SystemExit('the fixed part of Internet Settings has too many values')
    for i, path in enumerate(made):
        count = left // len(made) + (1 if i < left % len(made) else 0)
        for protocol in protocols[:count]:
            tree.set(path, protocol, *dword(rng.choice([1, 2, 2, 4])))


# --- Outlook Express identities -----------------------------------------------

SURNAMES = ['田中', '佐藤', '鈴木', '高橋', '伊藤', '渡辺', '山本', '中村', '小林', '加藤']
GIVEN = ['太郎', '花子', '一郎', '美咲']


def identities(tree, rng):
    ids = [guid(rng) for _ in range(IDENTITIES)]
    names = []
    for i in range(IDENTITIES):
        names.append('%s %s' % (SURNAMES[i % 10], GIVEN[i // 10 + (i % 2) * 2]) if i % 4 else 'user%02d' % i)
    tree.set(IDENTITIES_PATH, 'Default User ID', *sz(ids[0]))
    tree.set(IDENTITIES_PATH, 'Last User ID', *sz(ids[0]))
    tree.set(IDENTITIES_PATH, 'Last Username', *sz(names[0]))
    tree.set(IDENTITIES_PATH, 'Identity Ordinal', *dword(IDENTITIES))
    tree.set(IDENTITIES_PATH, 'Migrated7', *dword(1))
    for i, (key, name) in enumerate(zip(ids, names)):
        path = IDENTITIES_PATH + '\\' + key
        tree.set(path, 'Username', *sz(name))
        tree.set(path, 'User ID', *sz(key))
        tree.set(path, 'Identity Ordinal', *dword(i + 1))
        express = path + r'\Software\Microsoft\Outlook Express\5.0'
        tree.set(express, 'Store Root', *expand(r'%%UserProfile%%\Local Settings\Application Data\Identities\%s\Microsoft\Outlook Express' % key))
        tree.set(express, 'Show Hotmail Menu', *dword(0))
        tree.set(express + r'\Mail', 'Safe Attachments', *dword(1))
        manager = path + r'\Software\Microsoft\Internet Account Manager'
        tree.set(manager, 'Default Mail Account', *sz('00000001'))
        accounts = manager + r'\Accounts'
        tree.set(accounts, 'Server ID', *dword(ACCOUNTS + 1))
        for a in range(1, ACCOUNTS + 1):
            account(tree, rng, accounts + '\\%08d' % a, i, a, name)


def account(tree, rng, path, identity, number, name):
    host = 'shiten%02d.example.co.jp' % (number * 7 % 23)
    user = 'u%02d%02d' % (identity, number)
    for value_name, value in [
            ('Account Name', sz('%s (%s)' % (host, '本社' if number % 2 else '支店'))),
            ('Connection Type', dword(3)), ('POP3 Server', sz('pop.' + host)), ('POP3 User Name', sz(user)),
            ('POP3 Password2', binary(rng.randbytes(36))), ('POP3 Prompt for Password', dword(0)),
            ('POP3 Port', dword(110)), ('POP3 Timeout', dword(60)), ('Leave Mail On Server', dword(number % 2)),
            ('SMTP Server', sz('smtp.' + host)), ('SMTP Display Name', sz(name)),
            ('SMTP Email Address', sz('%s@%s' % (user, host))), ('SMTP Port', dword(587)),
            ('SMTP Timeout', dword(60)), ('SMTP Use Sicily', dword(2))]:
        tree.set(path, value_name, *value)


# --- TCP/IP -------------------------------------------------------------------

CONNECTION_NAMES = ['ローカル エリア接続', 'ローカル エリア接続 2', 'ローカル エリア接続 3', 'ワイヤレス ネットワーク接続',
                    'ワイヤレス ネットワーク接続 2', '1394 接続', '社内 VPN', 'Bluetooth ネットワーク']


def connections(tree, rng):
    tree.set(NETWORK_CLASS, 'Class', *sz('Net'))
    tree.set(NETWORK_CLASS + r'\Descriptions', 'Intel(R) PRO/1000 MT Network Connection', *multi('1'))
    for i in range(CONNECTIONS):
        key = guid(rng)
        connection = NETWORK_CLASS + '\\' + key + r'\Connection'
        tree.set(connection, 'Name', *sz(CONNECTION_NAMES[i]))
        tree.set(connection, 'PnpInstanceID', *sz(r'PCI\VEN_8086&DEV_100F&SUBSYS_075015AD&REV_01\4&%X&0&%02X' % (rng.getrandbits(28), i)))
        tree.set(connection, 'MediaSubType', *dword(1))
        tree.set(connection, 'ShowIcon', *dword(0))
        interface(tree, rng, INTERFACES + '\\' + key, i)


def interface(tree, rng, path, i):
    dhcp = i % 2
    address = '192.168.%d.%d' % (10 + i, rng.randint(2, 250))
    for name, value in [
            ('UseZeroBroadcast', dword(0)), ('EnableDeadGWDetect', dword(1)), ('EnableDHCP', dword(dhcp)),
            ('IPAddress', multi('0.0.0.0' if dhcp else address)), ('SubnetMask', multi('255.255.255.0')),
            ('DefaultGateway', multi('' if dhcp else '192.168.%d.1' % (10 + i))),
            ('DefaultGatewayMetric', multi('' if dhcp else '0')), ('NameServer', sz('' if dhcp else '192.168.1.53,192.168.2.53')),
            ('Domain', sz('honsha.example.co.jp')), ('RegistrationEnabled', dword(1)),
            ('RegisterAdapterName', dword(0)), ('TCPAllowedPorts', multi('0')), ('UDPAllowedPorts', multi('0')),
            ('RawIPAllowedProtocols', multi('0')), ('NTEContextList', multi('0x00000002')),
            ('DhcpClassIdBin', binary(b'')), ('DhcpIPAddress', sz(address)), ('DhcpSubnetMask', sz('255.255.255.0')),
            ('DhcpServer', sz('192.168.%d.1' % (10 + i))), ('Lease', dword(691200)),
            ('LeaseObtainedTime', dword(0x67500000 + i)), ('T1', dword(0x67554600 + i)), ('T2', dword(0x675A0000 + i)),
            ('LeaseTerminatesTime', dword(0x675B0000 + i)), ('DhcpDefaultGateway', multi('192.168.%d.1' % (10 + i))),
            ('DhcpNameServer', sz('192.168.1.53 192.168.2.53')), ('DhcpDomain', sz('honsha.example.co.jp')),
            ('DhcpSubnetMaskOpt', multi('255.255.255.0')), ('AddressType', dword(0)),
            ('IsServerNapAware', dword(0)), ('DhcpConnForceBroadcastFlag', dword(0))]:
        tree.set(path, name, *value)


# --- Writing -----------------------------------------------------------------

def quoted(text):
    return '"%s"' % text.replace('\\', '\\\\').replace('"', '\\"')


def hex_lines(prefix, data):
    """regedit's layout: comma-separated bytes, lines continued with a backslash."""
    parts = ['%02x' % b for b in data]
    lines = []
    line = prefix
    for i, part in enumerate(parts):
        piece = part + (',' if i + 1 < len(parts) else '')
        if len(line) + len(piece) > 76:
            lines.append(line + '\\')
            line = '  '
        line += piece
    lines.append(line)
    return '\n'.join(lines)


def value_line(name, kind, data):
    head = '@=' if name == '' else quoted(name) + '='
    if kind == 'sz':
        return head + quoted(data)
    if kind == 'dword':
        return head + 'dword:%08x' % data
    if kind == 'hex':
        return hex_lines(head + 'hex:', data)
    if kind == 'hex(2)':
        return hex_lines(head + 'hex(2):', (data + '\0').encode('utf-16-le'))
    if kind == 'hex(7)':
        return hex_lines(head + 'hex(7):', ('\0'.join(data) + '\0\0').encode('utf-16-le'))
    raise ValueError(kind)


def write_reg(path, sections):
    text = 'Windows Registry Editor Version 5.00\n\n' + '\n'.join(sections)
    with open(path, 'wb') as f:
        f.write(b'\xff\xfe' + text.replace('\n', '\r\n').encode('utf-16-le'))


def seed_sections(tree, deleted):
    sections = ['[-%s]\n' % path for path in deleted]
    for path, values in tree.keys.items():
        sections.append('[%s]\n' % path + ''.join(value_line(*v) + '\n' for v in values))
    return sections


def perturb_sections(tree):
    """Per kind, a value added and one removed, an account or an interface
    changed: the applies of that kind must undo all of it."""
    identity = next(k for k in tree.keys if k.startswith(IDENTITIES_PATH + '\\{'))
    accounts = '\\'.join(identity.split('\\')[:3]) + r'\Software\Microsoft\Internet Account Manager\Accounts'
    interface = next(k for k in tree.keys if k.startswith(INTERFACES + '\\'))
    ies = ['[%s]\n"BenchStray"="x"\n"ProxyServer"=-\n' % IE_PATH,
           '[%s\\ZoneMap\\Domains\\stray.example.net]\n"http"=dword:00000002\n' % IE_PATH,
           '[-%s\\00000003]\n' % accounts,
           '[%s\\00000099]\n"Account Name"="stray"\n' % accounts]
    ips = ['[%s]\n"EnableDHCP"=dword:00000005\n"BenchStray"="x"\n"Domain"=-\n' % interface,
           '[%s\\Stray]\n"x"=dword:00000001\n' % interface]
    return ies, ips


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rng = random.Random(19)
    tree = Tree()
    internet_settings(tree, rng)
    identities(tree, rng)
    connections(tree, rng)
    interfaces = [k for k in tree.keys if k.startswith(INTERFACES + '\\')]
    write_reg(os.path.join(out, 'seed.reg'),
              seed_sections(tree, [IE_PATH, IDENTITIES_PATH, NETWORK_CLASS] + interfaces))
    ies, ips = perturb_sections(tree)
    write_reg(os.path.join(out, 'perturb-ies.reg'), ies)
    write_reg(os.path.join(out, 'perturb-ips.reg'), ips)
    with open(os.path.join(out, 'counts.txt'), 'w', encoding='utf-8') as f:
        f.write('Internet Settings: %d keys, %d values\n' % (tree.key_count(IE_PATH), tree.value_count(IE_PATH)))
        f.write('Identities: %d keys, %d values (%d identities, %d accounts of 15 values each)\n' %
                (tree.key_count(IDENTITIES_PATH), tree.value_count(IDENTITIES_PATH), IDENTITIES, ACCOUNTS))
        f.write('Connections: %d; Interfaces trees: %d keys, %d values\n' %
                (CONNECTIONS, len(interfaces), sum(len(tree.keys[k]) for k in interfaces)))


if __name__ == '__main__':
    main()
