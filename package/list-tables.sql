-- What wixl cannot express, applied to its package by scripts/package.sh, one statement a line: the two task
-- list components' conditions, the copy of the administrator's list, and its removal on uninstall.
-- 384: 64-bit, and never overwritten once there, so that a repair or an upgrade keeps a list that was changed.
UPDATE `Component` SET `Condition` = 'NOT OWNTASKLIST', `Attributes` = 384 WHERE `Component` = 'TaskListDefault'
UPDATE `Component` SET `Condition` = 'OWNTASKLIST' WHERE `Component` = 'TaskListOwn'
-- No SourceName: the SourceFolder property holds the full path of the file itself. Options 0: copied, not moved.
CREATE TABLE `MoveFile` (`FileKey` CHAR(72) NOT NULL, `Component_` CHAR(72) NOT NULL, `SourceName` CHAR(255) LOCALIZABLE, `DestName` CHAR(255) LOCALIZABLE, `SourceFolder` CHAR(72), `DestFolder` CHAR(72) NOT NULL, `Options` SHORT NOT NULL PRIMARY KEY `FileKey`)
INSERT INTO `MoveFile` (`FileKey`, `Component_`, `DestName`, `SourceFolder`, `DestFolder`, `Options`) VALUES ('TaskListCopy', 'TaskListOwn', 'quellary.ini', 'NEWTASKLIST', 'INSTALLDIR', 0)
-- InstallMode 2: on uninstall only.
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('TaskListOwn', 'TaskListOwn', 'quellary.ini', 'INSTALLDIR', 2)
-- TASKLIST passes to the installation's server side also where only secure public properties do.
UPDATE `Property` SET `Value` = 'TASKLIST;WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED' WHERE `Property` = 'SecureCustomProperties'
