-- The tables of the FoxPro payroll data on MariaDB, one per catalogued table, with every
-- column the import copies. Generated from the import's catalogs:
-- zuna-sample schema --dialect mariadb. InnoDB, since the import's saves need transactions;
-- utf8mb4, so every text of the FoxPro code page fits; a date outside SQL Server's datetime
-- range is refused, as there. One statement per batch.
CREATE TABLE `personnel` (
    `id_no` int,
    `pay_mon` int,
    `pay_year` int,
    `emp_code` varchar(10),
    `emp_name` varchar(30),
    `sl_no` int,
    `dept_code` varchar(4),
    `estb_code` varchar(4),
    `dsgn_code` varchar(4),
    `scale_opt` varchar(1),
    `scale_code` varchar(4),
    `pers_scale` varchar(30),
    `gis_type` varchar(1),
    `emp_group` varchar(1),
    `basic_pay` decimal(10,2),
    `pf_type` varchar(1),
    `date_birth` datetime(3) CHECK (`date_birth` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `date_join` datetime(3) CHECK (`date_join` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `date_post` datetime(3) CHECK (`date_post` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `date_incr` datetime(3) CHECK (`date_incr` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `incr_amt` decimal(8,2),
    `srv_status` varchar(1),
    `depu_stat` varchar(1),
    `srv_type` varchar(1),
    `spou_stat` varchar(1),
    `rsd_status` varchar(1),
    `gqtr_code` varchar(4),
    `qtr_type` varchar(2),
    `sex` varchar(1),
    `married` varchar(1),
    `religion` varchar(1),
    `address1` varchar(30),
    `address2` varchar(30),
    `pan_no` varchar(10),
    `pay_opt` varchar(1),
    `bank_code` varchar(4),
    `acct_no` varchar(16),
    `close_cd` varchar(2),
    `corder_no` varchar(15),
    `date_close` datetime(3) CHECK (`date_close` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `corder_dt` datetime(3) CHECK (`corder_dt` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `del_emp` tinyint(1),
    `fin_year` varchar(9),
    `pay_taken` tinyint(1),
    `bill_code` varchar(4),
    `bill_no` varchar(10),
    `bill_date` datetime(3) CHECK (`bill_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `gis_group` varchar(1),
    `date_retr` datetime(3) CHECK (`date_retr` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `handicap` tinyint(1),
    `date_sec` datetime(3) CHECK (`date_sec` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `v_worker` tinyint(1),
    `sec_code` varchar(4),
    `no_leave` int,
    `pf_code` varchar(4),
    `pf_no` varchar(15),
    `incr_last` decimal(8,2),
    `bill_type` varchar(2),
    `hr_amt` decimal(8,2),
    `gpf_group` varchar(2),
    `grade_pay` int,
    `npa_prcn` decimal(5,2),
    `ma_opt` varchar(1),
    `father_nm` varchar(30),
    `mother_nm` varchar(30),
    `spouse_nm` varchar(30),
    `bacct_nm` varchar(30),
    `pen_opt` varchar(1),
    `dsgn_code1` varchar(4),
    `micr_code` varchar(9),
    `ifsc_code` varchar(11),
    `bacct_no` varchar(16),
    `ddo_code` varchar(10),
    `emp_cat` varchar(2),
    `emp_caste` varchar(2),
    `post_sanc` varchar(4),
    `spl_qlf` varchar(20),
    `qlf_code` varchar(4),
    `gpf_id` varchar(15)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `department` (
    `dept_code` varchar(4),
    `dept_name` varchar(40),
    `user_id` varchar(8),
    `ddo_code` varchar(10),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `ddo` (
    `ddo_code` varchar(10),
    `ddo_desc` varchar(40)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `acting` (
    `dsgn_code` varchar(4),
    `pay_mon` int,
    `dept_code` varchar(4),
    `estb_code` varchar(4),
    `fin_year` varchar(9),
    `pay_year` int,
    `post_sanc` varchar(4),
    `post_filll` varchar(20),
    `remarks` longtext
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `cca` (
    `cca_sl` int,
    `cca_slb1` decimal(12,2),
    `cca_slb2` decimal(12,2),
    `cca_amt` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `gisgrp` (
    `gis_code` varchar(10),
    `gis_desc` varchar(40)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `page_line` (
    `report` varchar(40),
    `line_no` int
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `residence` (
    `resd_code` varchar(10),
    `resd_desc` varchar(40)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `establishment` (
    `dept_code` varchar(4),
    `estb_code` varchar(4),
    `estb_name` varchar(40),
    `maj_head` varchar(20),
    `smaj_head` varchar(20),
    `minor_head` varchar(20),
    `plan_head` varchar(20),
    `schm_head` varchar(20),
    `vot_ch` varchar(20),
    `dtl_head` varchar(20),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `rank` int,
    `hd_desc` varchar(40),
    `dem_no` int,
    `dept_cd` varchar(10)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `festadv` (
    `id_no` int,
    `fst_inst` int,
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `form16` (
    `fyear_from` decimal(12,2),
    `fyear_to` decimal(12,2),
    `fin_year` varchar(9),
    `empcode` varchar(10),
    `gi` decimal(12,2),
    `go` decimal(12,2),
    `t1` decimal(12,2),
    `t2a` decimal(12,2),
    `tr` decimal(12,2),
    `tc` decimal(12,2),
    `tp` decimal(12,2),
    `t2b` decimal(12,2),
    `t2` decimal(12,2),
    `t3` decimal(12,2),
    `t4a` decimal(12,2),
    `t4b` decimal(12,2),
    `t4c` decimal(12,2),
    `t5` decimal(12,2),
    `t6` decimal(12,2),
    `t7a_desc` varchar(40),
    `t7a` decimal(12,2),
    `t7b_desc` varchar(40),
    `t7b` decimal(12,2),
    `t7c_desc` varchar(40),
    `t7c` decimal(12,2),
    `t8` decimal(12,2),
    `t9` decimal(12,2),
    `t10a_g` decimal(12,2),
    `t10a` decimal(12,2),
    `t10b_g` decimal(12,2),
    `t10b` decimal(12,2),
    `t10c_g` decimal(12,2),
    `t10c` decimal(12,2),
    `t10d_g` decimal(12,2),
    `t10d` decimal(12,2),
    `t10e_g` decimal(12,2),
    `t10e` decimal(12,2),
    `t10f_g` decimal(12,2),
    `t10f` decimal(12,2),
    `t10g_g` decimal(12,2),
    `t10g` decimal(12,2),
    `t10h_g` decimal(12,2),
    `t10h` decimal(12,2),
    `t10i_g` decimal(12,2),
    `t10i` decimal(12,2),
    `t10i_desc` varchar(40),
    `t10i_q` decimal(12,2),
    `t11_g` decimal(12,2),
    `t11` decimal(12,2),
    `t12` decimal(12,2),
    `t13` decimal(12,2),
    `t14a_g` decimal(12,2),
    `t14b_g` decimal(12,2),
    `t14c_g` decimal(12,2),
    `t14d_g` decimal(12,2),
    `t14e_g` decimal(12,2),
    `t14f_g` decimal(12,2),
    `t14g_g` decimal(12,2),
    `t14h_g` decimal(12,2),
    `t14i_g` decimal(12,2),
    `t14a` decimal(12,2),
    `t14b` decimal(12,2),
    `t14c` decimal(12,2),
    `t14d` decimal(12,2),
    `t14e` decimal(12,2),
    `t14f` decimal(12,2),
    `t14g` decimal(12,2),
    `t14h` decimal(12,2),
    `t14i` decimal(12,2),
    `t14i_desc` varchar(40),
    `t14i_g1` decimal(12,2),
    `t14i_q` decimal(12,2),
    `t14j_g` decimal(12,2),
    `t14k_g` decimal(12,2),
    `t14j_desc` varchar(40),
    `t14k_desc` varchar(40),
    `t14j_q` decimal(12,2),
    `t14k_q` decimal(12,2),
    `t14j` decimal(12,2),
    `t14k` decimal(12,2),
    `t14x_g` decimal(12,2),
    `t14x` decimal(12,2),
    `t14x_q` decimal(12,2),
    `t14l` decimal(12,2),
    `t14m` decimal(12,2),
    `t15` decimal(12,2),
    `t16a` decimal(12,2),
    `t16b` decimal(12,2),
    `t16` decimal(12,2),
    `t17` decimal(12,2),
    `t18` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `idmax` (
    `maxid` int
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `income_tax` (
    `fin_year` varchar(9),
    `emp_code` varchar(10),
    `emp_name` varchar(30),
    `sex` varchar(1),
    `address` varchar(40),
    `pan_no` varchar(10),
    `basic_pay` decimal(10,2),
    `dp` decimal(12,2),
    `da` decimal(12,2),
    `hra` decimal(12,2),
    `tpt_all` varchar(20),
    `cca` decimal(12,2),
    `ear_oths` decimal(12,2),
    `ear_misc` decimal(12,2),
    `gross_inc` decimal(12,2),
    `p_tax` decimal(12,2),
    `total_inc` decimal(12,2),
    `int_nsc` decimal(12,2),
    `inc_hp` decimal(12,2),
    `oth_source` decimal(12,2),
    `us_80l` decimal(12,2),
    `us_80ccc` decimal(12,2),
    `us_80d` decimal(12,2),
    `us_80dd` decimal(12,2),
    `us_80g` decimal(12,2),
    `us_80u` decimal(12,2),
    `ded_oths` decimal(12,2),
    `gpf` decimal(12,2),
    `cgegis` decimal(12,2),
    `lic` decimal(12,2),
    `nsc` decimal(12,2),
    `hba` decimal(12,2),
    `rebint_nsc` decimal(12,2),
    `reb_oths` decimal(12,2),
    `infs_bond` decimal(12,2),
    `tut_fees` decimal(12,2),
    `us_88c` decimal(12,2),
    `hra_recv` decimal(12,2),
    `exc_rentpa` decimal(12,2),
    `bp_dp50` decimal(12,2),
    `hra_depo` decimal(12,2),
    `hra_exmp` decimal(12,2),
    `tax_deduct` decimal(12,2),
    `tax_mar` decimal(12,2),
    `tax_apr` decimal(12,2),
    `tax_may` decimal(12,2),
    `tax_jun` decimal(12,2),
    `tax_jul` decimal(12,2),
    `tax_aug` decimal(12,2),
    `tax_sep` decimal(12,2),
    `tax_oct` decimal(12,2),
    `tax_nov` decimal(12,2),
    `tax_dec` decimal(12,2),
    `tax_jan` decimal(12,2),
    `tax_feb` decimal(12,2),
    `net_tax` decimal(12,2),
    `cess_rate2` decimal(12,2),
    `payabl_tax` decimal(12,2),
    `bal_tax` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `installation` (
    `ddo_code` varchar(10),
    `ddo_desg` varchar(20),
    `off_name` varchar(40),
    `off_add1` varchar(20),
    `off_add2` varchar(20),
    `city_class` varchar(20),
    `itax_ward` varchar(20),
    `dt_install` datetime(3) CHECK (`dt_install` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `super_user` varchar(20),
    `super_pass` varchar(20),
    `govt_type` varchar(20),
    `dbf_type` varchar(20),
    `employer_1` varchar(20),
    `employer_2` varchar(20),
    `tan_no` varchar(20),
    `itd_1` varchar(20),
    `itd_2` varchar(20)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `loan_type` (
    `loan_code` varchar(10),
    `maj_head` varchar(20),
    `smaj_head` varchar(20),
    `minor_head` varchar(20),
    `schm_head` varchar(20),
    `dtl_head` varchar(20),
    `sdtl_head` varchar(20),
    `loan_desc` varchar(40),
    `int_rate` decimal(12,2),
    `remarks` longtext,
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `abbr` varchar(20),
    `col_no` int,
    `code_ord` int,
    `deposit_at` varchar(20),
    `agent_name` varchar(40),
    `agent_add` varchar(40)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `govt_qtrs` (
    `gqtr_code` varchar(4),
    `gqtr_desc` varchar(40),
    `maj_head` varchar(20),
    `smaj_head` varchar(20),
    `minor_head` varchar(20),
    `schm_head` varchar(20),
    `dtl_head` varchar(20),
    `user_id` varchar(8),
    `sdtl_head` varchar(20),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pf_da_subs` (
    `pay_mon` int,
    `pay_year` int,
    `id_no` int,
    `subs_amt` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `fin_year` varchar(9)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pf_withdrawl` (
    `pay_mon` int,
    `pay_year` int,
    `emp_code` varchar(10),
    `w_amt` decimal(12,2),
    `remarks` longtext,
    `fin_year` varchar(9)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pf_open_bal` (
    `id_no` int,
    `open_bal` decimal(12,2),
    `fin_year` varchar(9)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `personnel-del` (
    `id_no` int,
    `emp_code` varchar(10),
    `emp_name` varchar(30),
    `dept_code` varchar(4),
    `estb_code` varchar(4),
    `sl_no` int,
    `dsgn_code` varchar(4),
    `scale_opt` varchar(1),
    `scale_code` varchar(4),
    `pers_scale` varchar(30),
    `basic_pay` decimal(10,2),
    `pf_type` varchar(1),
    `gis_type` varchar(1),
    `emp_group` varchar(1),
    `date_birth` datetime(3) CHECK (`date_birth` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `date_join` datetime(3) CHECK (`date_join` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `date_post` datetime(3) CHECK (`date_post` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `date_incr` datetime(3) CHECK (`date_incr` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `incr_amt` decimal(8,2),
    `srv_status` varchar(1),
    `depu_stat` varchar(1),
    `srv_type` varchar(1),
    `spou_stat` varchar(1),
    `rsd_status` varchar(1),
    `gqtr_code` varchar(4),
    `qtr_type` varchar(2),
    `sex` varchar(1),
    `married` varchar(1),
    `religion` varchar(1),
    `address1` varchar(30),
    `address2` varchar(30),
    `pan_no` varchar(10),
    `pay_opt` varchar(1),
    `bank_code` varchar(4),
    `acct_no` varchar(16),
    `close_cd` varchar(2),
    `corder_no` varchar(15),
    `date_close` datetime(3) CHECK (`date_close` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `corder_dt` datetime(3) CHECK (`corder_dt` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pf_arrear` (
    `pay_mon` int,
    `pay_year` int,
    `id_no` int,
    `inst_no` int,
    `arrear_amt` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `fin_year` varchar(9)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `recovery` (
    `pay_mon` int,
    `pay_year` int,
    `id_no` int,
    `loan_code` varchar(10),
    `inst_no` int,
    `recov_amt` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `fin_year` varchar(9),
    `cum_recov` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `recovery_cum` (
    `pay_mon` int,
    `pay_year` int,
    `id_no` int,
    `loan_code` varchar(10),
    `inst_no` int,
    `recov_camt` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `remsalary` (
    `pay_mon` int,
    `pay_year` int,
    `id_no` int,
    `remarks` longtext,
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `fin_year` varchar(9)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pf_arrear_master` (
    `id_no` int,
    `tot_arrear` decimal(12,2),
    `tot_inst` int,
    `order_no` varchar(20),
    `order_dt` datetime(3) CHECK (`order_dt` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `deduction` (
    `pay_mon` int,
    `pay_year` int,
    `id_no` int,
    `deduc_code` varchar(10),
    `fin_year` varchar(9),
    `deduc_amt` decimal(12,2),
    `if_inst` int,
    `inst_left` int,
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `ded_oth_type` (
    `deduc_code` varchar(10),
    `deduc_desc` varchar(40),
    `abbr` varchar(20),
    `code_ord` int,
    `col_no` int,
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `ded_other` (
    `id_no` int,
    `fin_year` varchar(9),
    `pay_mon` int,
    `pay_year` int,
    `deduc_code` varchar(10),
    `deduc_amt` decimal(12,2),
    `if_inst` int,
    `inst_left` int,
    `policy_no` varchar(20),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `ecs_bank_account` (
    `Emp_Code` varchar(10),
    `Bank_Emp_C` varchar(20),
    `Bank_Emp_N` varchar(40),
    `Bank_MICR` varchar(20),
    `Bank_Acc` varchar(20)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `ecs_master` (
    `Spnsr_Bank` varchar(20),
    `Spnsr_MICR` varchar(20),
    `User_Name` varchar(40),
    `User_Acct` varchar(20),
    `IFSC_Code` varchar(11)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `fund_balance` (
    `ddo_code` varchar(10),
    `dept_code` varchar(4),
    `fin_year` varchar(9),
    `maj_head` varchar(20),
    `smaj_head` varchar(20),
    `minor_head` varchar(20),
    `plan_head` varchar(20),
    `schm_head` varchar(20),
    `vot_chrg` varchar(20),
    `dtl_head` varchar(20),
    `blnc_amt` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `fund_other` (
    `remarks` longtext,
    `bill_date` datetime(3) CHECK (`bill_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `fin_year` varchar(9),
    `maj_head` varchar(20),
    `smaj_head` varchar(20),
    `minor_head` varchar(20),
    `plan_head` varchar(20),
    `schm_head` varchar(20),
    `vot_chrg` varchar(20),
    `dtl_head` varchar(20),
    `exp_amt` decimal(12,2),
    `sdtl_head` varchar(20),
    `bill_no` varchar(10),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `fund_receipt` (
    `ddo_code` varchar(10),
    `dept_code` varchar(4),
    `fin_year` varchar(9),
    `maj_head` varchar(20),
    `smaj_head` varchar(20),
    `minor_head` varchar(20),
    `plan_head` varchar(20),
    `schm_head` varchar(20),
    `vot_chrg` varchar(20),
    `dtl_head` varchar(20),
    `sdtl_head` varchar(20),
    `order_no` varchar(20),
    `order_date` datetime(3) CHECK (`order_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `allot_amt` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `section` (
    `dept_code` varchar(4),
    `sec_code` varchar(4),
    `sec_name` varchar(40),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `spouse` (
    `id_no` int,
    `spou_name` varchar(40),
    `spou_pay` decimal(12,2),
    `spou_hra` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `user_master` (
    `user_id` varchar(8),
    `passwd` varchar(20),
    `user_name` varchar(40),
    `remarks` longtext,
    `dt_creat` datetime(3) CHECK (`dt_creat` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `ddo_code` varchar(10)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `earnings` (
    `id_no` int,
    `fin_year` varchar(9),
    `pay_mon` int,
    `pay_year` int,
    `pay_amt` decimal(12,2),
    `if_inst` int,
    `inst_left` int,
    `pay_code` varchar(10),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `loan` (
    `tot_inst` int,
    `id_no` int,
    `loan_code` varchar(10),
    `cur_inst` int,
    `cum_recov` decimal(12,2),
    `stat_flag` varchar(20),
    `remarks` longtext,
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `ninst1` int,
    `ainst1` decimal(12,2),
    `ninst2` int,
    `ainst2` decimal(12,2),
    `ninst3` int,
    `ainst3` decimal(12,2),
    `ninst4` int,
    `ainst4` decimal(12,2),
    `ninst5` int,
    `ainst5` decimal(12,2),
    `acct_no` varchar(16),
    `tot_loan` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `deduction_type` (
    `deduc_code` varchar(10),
    `maj_head` varchar(20),
    `smaj_head` varchar(20),
    `minor_head` varchar(20),
    `schm_head` varchar(20),
    `dtl_head` varchar(20),
    `sdtl_head` varchar(20),
    `deduc_desc` varchar(40),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `deduc_type` varchar(20),
    `abbr` varchar(20),
    `col_no` int,
    `code_ord` int
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `earning_type` (
    `pay_code` varchar(10),
    `sdtl_head` varchar(20),
    `pay_desc` varchar(40),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `code_ord` int,
    `abbr` varchar(20),
    `col_no` int
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `earnings_part` (
    `id_no` int,
    `pay_mon` int,
    `pay_year` int,
    `bill_no` varchar(10),
    `bill_date` datetime(3) CHECK (`bill_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `tot_days` int,
    `pay_code` varchar(10),
    `pay_amt_t` decimal(12,2),
    `part_days` int,
    `pay_amt_e` decimal(12,2),
    `sup_days` int,
    `pay_amt_s` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `fin_year` varchar(9),
    `remarks` longtext
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `install` (
    `off_name` varchar(40),
    `ddo_code` varchar(10),
    `ddo_desg` varchar(20),
    `address` varchar(40),
    `city_class` varchar(20),
    `itax_ward` varchar(20),
    `super_user` varchar(20),
    `super_pass` varchar(20)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pf_recovery` (
    `fin_year` varchar(9),
    `pay_mon` int,
    `pay_year` int,
    `id_no` int,
    `inst_no` int,
    `recov_amt` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pf_subscription` (
    `fin_year` varchar(9),
    `pay_mon` int,
    `pay_year` int,
    `id_no` int,
    `subs_amt` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `bank` (
    `bank_code` varchar(4),
    `bank_name` varchar(40),
    `bank_addr` varchar(40),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `billamt` (
    `recv` decimal(12,2),
    `exp` decimal(12,2),
    `bal` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `bill_type` (
    `bill_code` varchar(4),
    `bill_desc` varchar(40),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `designation` (
    `dsgn_code` varchar(4),
    `dsgn_desc` varchar(60),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `rank` int
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pay_stop` (
    `close_cd` varchar(2),
    `close_desc` varchar(40),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pf_loan_purpose` (
    `purpose_cd` varchar(10),
    `purpose` varchar(40),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `hra_rate_a` (
    `sl_no` int,
    `effect_dt` datetime(3) CHECK (`effect_dt` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `hra_rate1` decimal(12,2),
    `hra_rate2` decimal(12,2),
    `max_amt1` decimal(12,2),
    `max_amt2` decimal(12,2),
    `hra_rate3` decimal(12,2),
    `max_amt3` decimal(12,2),
    `ropa_opt` varchar(20),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `hra_rate_s` (
    `sl_no` int,
    `effect_dt` datetime(3) CHECK (`effect_dt` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `hra_rate` decimal(12,2),
    `max_amt` decimal(12,2),
    `ropa_opt` varchar(20),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `da_rate_a` (
    `sl_no` int,
    `effect_dt` datetime(3) CHECK (`effect_dt` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `da_rate` decimal(12,2),
    `max_amt` decimal(12,2),
    `ropa_opt` varchar(20),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `da_rate_s` (
    `sl_no` int,
    `effect_dt` datetime(3) CHECK (`effect_dt` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `da_rate` decimal(12,2),
    `da_pf_rate` decimal(12,2),
    `max_amt` decimal(12,2),
    `ropa_opt` varchar(20),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `payscale` (
    `scale_code` varchar(4),
    `old_scale` varchar(20),
    `new_scale` varchar(20),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `pband_no` varchar(20),
    `pband_from` decimal(12,2),
    `pband_to` decimal(12,2),
    `grade_pay` int,
    `ta` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `payscale_new` (
    `srv_type` varchar(1),
    `ropa_opt` varchar(20),
    `scale_code` varchar(4),
    `pay_scale` decimal(12,2),
    `pband_no` varchar(20),
    `pband_from` decimal(12,2),
    `pband_to` decimal(12,2),
    `grade_pay` int,
    `ta` decimal(12,2),
    `ma` decimal(12,2),
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `ptax` (
    `ptax_sl` int,
    `ptax_slb1` decimal(12,2),
    `ptax_slb2` decimal(12,2),
    `ptax_amt` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `gis` (
    `gis_code` varchar(10),
    `gis_desc` varchar(40)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pftype` (
    `pf_code` varchar(4),
    `pf_desc` varchar(40)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `qualification` (
    `qlf_code` varchar(4),
    `qlf_desc` varchar(40)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `gis1987` (
    `gis_sl` int,
    `gis_grp` int,
    `gis_ins` decimal(12,2),
    `gis_sav` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `cgegis` (
    `cgis_sl` int,
    `cgis_grp` int,
    `cgis_ins` decimal(12,2),
    `cgis_sav` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `BranchMaster` (
    `micr_name` varchar(40),
    `city_code` varchar(10),
    `bank_code` varchar(4),
    `branch_cod` varchar(10),
    `bank_name` varchar(40),
    `branch_nam` varchar(40),
    `branch_add` varchar(40),
    `IFSC_code` varchar(11)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `paybill` (
    `pay_mon` int,
    `pay_year` int,
    `dept_code` varchar(4),
    `estb_code` varchar(4),
    `bill_no` varchar(10),
    `bill_date` datetime(3) CHECK (`bill_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `bill_amt` decimal(12,2),
    `cheq_no` varchar(20),
    `cheq_date` datetime(3) CHECK (`cheq_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `vchr_no` varchar(20),
    `vchr_date` datetime(3) CHECK (`vchr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `cash_date` datetime(3) CHECK (`cash_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `remarks` longtext,
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `fin_year` varchar(9),
    `bill_code` varchar(4),
    `os_draw` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `form16_0506` (
    `fin_year` varchar(9),
    `empcode` varchar(10),
    `gi` decimal(12,2),
    `go` decimal(12,2),
    `t1` decimal(12,2),
    `t2a` decimal(12,2),
    `tr` decimal(12,2),
    `tc` decimal(12,2),
    `tp` decimal(12,2),
    `t2b` decimal(12,2),
    `t2c` decimal(12,2),
    `t2c_desc` varchar(40),
    `t2` decimal(12,2),
    `t3` decimal(12,2),
    `t4a` decimal(12,2),
    `t4b` decimal(12,2),
    `t4c` decimal(12,2),
    `t5` decimal(12,2),
    `t6` decimal(12,2),
    `t7a_desc` varchar(40),
    `t7a` decimal(12,2),
    `t7b_desc` varchar(40),
    `t7b` decimal(12,2),
    `t7c_desc` varchar(40),
    `t7c` decimal(12,2),
    `t8` decimal(12,2),
    `t9` decimal(12,2),
    `t11_g` decimal(12,2),
    `t11` decimal(12,2),
    `t12` decimal(12,2),
    `t13` decimal(12,2),
    `t10b` decimal(12,2),
    `t10c` decimal(12,2),
    `t10cc` decimal(12,2),
    `t10d` decimal(12,2),
    `t10e` decimal(12,2),
    `t10f` decimal(12,2),
    `t10g_g` decimal(12,2),
    `t10g` decimal(12,2),
    `t10h_g` decimal(12,2),
    `t10h` decimal(12,2),
    `t10i_g` decimal(12,2),
    `t10i` decimal(12,2),
    `t10i_desc` varchar(40),
    `t10b_g` decimal(12,2),
    `t10c_g` decimal(12,2),
    `t10cc_g` decimal(12,2),
    `t10d_g` decimal(12,2),
    `t10e_g` decimal(12,2),
    `t10f_g` decimal(12,2),
    `t14a_g` decimal(12,2),
    `t14b_g` decimal(12,2),
    `t14c_g` decimal(12,2),
    `t14d_g` decimal(12,2),
    `t14e_g` decimal(12,2),
    `t14f_g` decimal(12,2),
    `t14g_g` decimal(12,2),
    `t14h_g` decimal(12,2),
    `t14i_g` decimal(12,2),
    `t14a` decimal(12,2),
    `t14b` decimal(12,2),
    `t14c` decimal(12,2),
    `t14d` decimal(12,2),
    `t14e` decimal(12,2),
    `t14f` decimal(12,2),
    `t14g` decimal(12,2),
    `t14h` decimal(12,2),
    `t14i` decimal(12,2),
    `t14i_desc` varchar(40),
    `t14i_g1` decimal(12,2),
    `t14i_q` decimal(12,2),
    `t14j_g` decimal(12,2),
    `t14k_g` decimal(12,2),
    `t14j_desc` varchar(40),
    `t14k_desc` varchar(40),
    `t14j_q` decimal(12,2),
    `t14k_q` decimal(12,2),
    `t14j` decimal(12,2),
    `t14k` decimal(12,2),
    `t141_g` decimal(12,2),
    `t141` decimal(12,2),
    `t14` decimal(12,2),
    `t15` decimal(12,2),
    `t16` decimal(12,2),
    `t17` decimal(12,2),
    `t18` decimal(12,2),
    `t19a` decimal(12,2),
    `t19b` decimal(12,2),
    `t20` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `cghs` (
    `cghs_sl` int,
    `cghs_slb1` decimal(12,2),
    `cghs_slb2` decimal(12,2),
    `cghs_amt` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
CREATE TABLE `pf_loan` (
    `id_no` int,
    `purpose_cd` varchar(10),
    `tot_loan` decimal(12,2),
    `tot_inst` int,
    `cur_inst` int,
    `cum_recov` decimal(12,2),
    `stat_flag` varchar(20),
    `remarks` longtext,
    `user_id` varchar(8),
    `opr_date` datetime(3) CHECK (`opr_date` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    `ninst1` int,
    `ainst1` decimal(12,2),
    `ninst2` int,
    `ainst2` decimal(12,2),
    `ninst3` int,
    `ainst3` decimal(12,2),
    `ninst4` int,
    `ainst4` decimal(12,2)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
GO
